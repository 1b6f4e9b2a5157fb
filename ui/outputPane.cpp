// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#include "outputPane.h"

#include "errorDisplay.h"
#include "listingCopy.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextOption>
#include <algorithm>

namespace {

constexpr qreal kMargin = 3;

}  // namespace

TOutputPane::TOutputPane(QWidget* parent) : QAbstractScrollArea(parent) {
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setCursor(Qt::IBeamCursor);
  viewport()->setBackgroundRole(QPalette::Base);
  verticalScrollBar()->setSingleStep(1);
  horizontalScrollBar()->setRange(0, 0);  // lines wrap, so nothing is ever off to the side
  regular_ = font();
  bold_ = font();
  bold_.setBold(true);
}

TOutputPane::~TOutputPane() = default;

void TOutputPane::Clear() {
  lines_.Clear();
  anchor_ = cursor_ = {};
  verticalScrollBar()->setValue(0);
  ScheduleRefresh();
}

void TOutputPane::AddLine(std::string_view text) {
  if (lines_.Count() >= lineCapacity_ || lines_.TextBytes() + text.size() > kTextCapacity) {
    throw kestrova::ELineInsertionError();
  }
  lines_.Append(text, current_);
  ScheduleRefresh();
}

kestrova::TRecordedLine TOutputPane::Line(std::size_t line) const {
  const auto& attributes = lines_.Attributes(line);
  return {std::string(lines_.Text(line)), attributes.color, attributes.bold};
}

// A listing adds lines by the million with no event dispatched in between: the view catches up
// once, when control is back in the event loop.
void TOutputPane::ScheduleRefresh() {
  if (refreshPending_) return;
  refreshPending_ = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        refreshPending_ = false;
        UpdateScrollBar();
        Invalidate();
      },
      Qt::QueuedConnection);
}

void TOutputPane::Invalidate() {
  layoutValid_ = false;
  viewport()->update();
}

std::unique_ptr<QTextLayout> TOutputPane::LayOut(std::size_t line, qreal& height) const {
  auto layout = std::make_unique<QTextLayout>(LineString(lines_, line),
                                              lines_.Attributes(line).bold ? bold_ : regular_);
  QTextOption option;
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  layout->setTextOption(option);
  layout->setCacheEnabled(true);
  const qreal width = std::max<qreal>(1, viewport()->width() - 2 * kMargin);
  height = 0;
  layout->beginLayout();
  for (QTextLine row = layout->createLine(); row.isValid(); row = layout->createLine()) {
    row.setLineWidth(width);
    row.setPosition({0, height});
    height += row.height();
  }
  layout->endLayout();
  return layout;
}

void TOutputPane::EnsureLayout() {
  if (layoutValid_) return;
  visible_.clear();
  qreal top = kMargin;
  for (std::size_t line = static_cast<std::size_t>(verticalScrollBar()->value());
       line < lines_.Count() && top < viewport()->height(); ++line) {
    qreal height = 0;
    auto layout = LayOut(line, height);
    visible_.push_back({line, top, std::move(layout)});
    top += height;
  }
  layoutValid_ = true;
}

// The scroll bar counts lines. Its end shows the last line at the bottom of the pane: only the
// lines that fit there are laid out to find it.
void TOutputPane::UpdateScrollBar() {
  const std::size_t count = lines_.Count();
  std::size_t fitting = 0;
  qreal used = kMargin;
  while (fitting < count) {
    qreal height = 0;
    LayOut(count - 1 - fitting, height);
    if (used + height > viewport()->height() && fitting > 0) break;
    used += height;
    ++fitting;
  }
  const auto maximum = static_cast<int>(count - fitting);
  verticalScrollBar()->setRange(0, maximum);
  verticalScrollBar()->setPageStep(std::max<int>(1, static_cast<int>(fitting)));
}

void TOutputPane::ScrollToEnd() {
  UpdateScrollBar();
  verticalScrollBar()->setValue(verticalScrollBar()->maximum());
  Invalidate();
}

void TOutputPane::paintEvent(QPaintEvent*) {
  EnsureLayout();
  QPainter painter(viewport());
  const auto [from, to] = Selection();
  for (const TVisibleLine& visible : visible_) {
    const auto& attributes = lines_.Attributes(visible.line);
    painter.setPen(QColor(attributes.color.red, attributes.color.green, attributes.color.blue));
    QList<QTextLayout::FormatRange> selection;
    if (HasSelection() && visible.line >= from.line && visible.line <= to.line) {
      const int length = static_cast<int>(visible.layout->text().size());
      const int start = visible.line == from.line ? std::min(from.column, length) : 0;
      const int end = visible.line == to.line ? std::min(to.column, length) : length;
      QTextLayout::FormatRange range;
      range.start = start;
      range.length = end - start;
      range.format.setBackground(palette().highlight());
      range.format.setForeground(palette().highlightedText());
      selection.append(range);
    }
    visible.layout->draw(&painter, {kMargin, visible.top}, selection);
  }
}

void TOutputPane::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollBar();
  Invalidate();
}

void TOutputPane::scrollContentsBy(int, int) { Invalidate(); }

void TOutputPane::changeEvent(QEvent* event) {
  if (event->type() == QEvent::FontChange) {
    regular_ = font();
    bold_ = font();
    bold_.setBold(true);
    UpdateScrollBar();
    Invalidate();
  }
  QAbstractScrollArea::changeEvent(event);
}

TTextPosition TOutputPane::HitTest(QPointF point) {
  EnsureLayout();
  if (visible_.empty()) return {lines_.Count() > 0 ? lines_.Count() - 1 : 0, INT_MAX};
  if (point.y() < visible_.front().top) return {visible_.front().line, 0};
  for (const TVisibleLine& visible : visible_) {
    const QTextLayout& layout = *visible.layout;
    for (int i = 0; i < layout.lineCount(); ++i) {
      const QTextLine row = layout.lineAt(i);
      if (point.y() < visible.top + row.y() + row.height()) {
        return {visible.line, row.xToCursor(point.x() - kMargin)};
      }
    }
  }
  return {visible_.back().line, INT_MAX};
}

void TOutputPane::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QAbstractScrollArea::mousePressEvent(event);
  const TTextPosition at = HitTest(event->position());
  if (!(event->modifiers() & Qt::ShiftModifier)) anchor_ = at;
  cursor_ = at;
  selecting_ = true;
  viewport()->update();
}

void TOutputPane::mouseMoveEvent(QMouseEvent* event) {
  if (!selecting_) return;
  // Dragging past the top or bottom edge scrolls, so that a selection can reach any line.
  if (event->position().y() < 0) {
    verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
  } else if (event->position().y() > viewport()->height()) {
    verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  }
  cursor_ = HitTest(event->position());
  viewport()->update();
}

void TOutputPane::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) selecting_ = false;
}

// Selects the word under the pointer: a run of letters, digits and the marks file names are made
// of, so that "file-000123.txt" is one word.
void TOutputPane::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || lines_.Count() == 0) return;
  const TTextPosition at = HitTest(event->position());
  const QString text = LineString(lines_, at.line);
  const auto inWord = [&](int i) {
    const QChar c = text[i];
    return c.isLetterOrNumber() || c == QLatin1Char('.') || c == QLatin1Char('-') ||
           c == QLatin1Char('_');
  };
  int start = std::min<int>(at.column, static_cast<int>(text.size()));
  int end = start;
  while (start > 0 && inWord(start - 1)) --start;
  while (end < text.size() && inWord(end)) ++end;
  anchor_ = {at.line, start};
  cursor_ = {at.line, end};
  selecting_ = false;
  viewport()->update();
}

void TOutputPane::keyPressEvent(QKeyEvent* event) {
  QScrollBar* bar = verticalScrollBar();
  if (event->matches(QKeySequence::Copy)) {
    Copy();
  } else if (event->matches(QKeySequence::SelectAll)) {
    SelectAll();
  } else if (event->matches(QKeySequence::MoveToStartOfDocument)) {
    bar->setValue(0);
  } else if (event->matches(QKeySequence::MoveToEndOfDocument)) {
    bar->setValue(bar->maximum());
  } else {
    QAbstractScrollArea::keyPressEvent(event);
  }
}

void TOutputPane::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  QAction* copy = menu.addAction(QStringLiteral("复制"));
  copy->setEnabled(HasSelection());
  connect(copy, &QAction::triggered, this, &TOutputPane::Copy);
  QAction* all = menu.addAction(QStringLiteral("全选"));
  all->setEnabled(lines_.Count() > 0);
  connect(all, &QAction::triggered, this, &TOutputPane::SelectAll);
  menu.exec(event->globalPos());
}

void TOutputPane::SelectAll() {
  if (lines_.Count() == 0) return;
  anchor_ = {0, 0};
  cursor_ = {lines_.Count() - 1, INT_MAX};
  viewport()->update();
}

TTextRange TOutputPane::Selection() const {
  return {std::min(anchor_, cursor_), std::max(anchor_, cursor_)};
}

QString TOutputPane::SelectedText() const {
  return HasSelection() ? ListingText(lines_, Selection()) : QString();
}

QString TOutputPane::SelectedHtml() const {
  return HasSelection() ? ListingHtml(lines_, Selection()) : QString();
}

void TOutputPane::Copy() const {
  if (!HasSelection()) return;
  RunHandler([this] {
    // The clipboard takes ownership.
    QApplication::clipboard()->setMimeData(
        std::make_unique<TListingMimeData>(lines_, Selection()).release());
  });
}
