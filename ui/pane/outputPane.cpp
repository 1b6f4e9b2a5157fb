// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#include "outputPane.h"

#include <QAccessible>
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
#include <QWheelEvent>
#include <algorithm>

#include "errorDisplay.h"
#include "findBar.h"
#include "listingCopy.h"
#include "paneAccessible.h"
#include "utf8Text.h"

namespace {

constexpr qreal kMargin = 3;

// Paper: the listing's colours are chosen for a white page, so the page stays white whatever the
// desktop's scheme. The selection is dark enough for white text on it (6.4:1); matches of a find
// are marked in yellow under their own colours.
const QColor kPaper(255, 255, 255);
const QColor kInk(0, 0, 0);
const QColor kSelection(0x0B, 0x57, 0xD0);
const QColor kSelectedText(255, 255, 255);
const QColor kMatch(0xFF, 0xE4, 0x5C);
const QColor kFocusFrame(0x0B, 0x57, 0xD0);

constexpr qreal kMinPoints = 4;
constexpr qreal kMaxPoints = 72;

// A find works in slices this long, so that the window stays responsive on the longest listing.
constexpr qint64 kSearchSliceMs = 20;
constexpr std::size_t kSearchStepBytes = std::size_t{1} << 20;
constexpr qint64 kSearchNoteMs = 300;

}  // namespace

TOutputPane::TOutputPane(QWidget* parent)
    : QAbstractScrollArea(parent), findBar_(new TFindBar(this)) {
  static const bool factoryInstalled = [] {
    QAccessible::installFactory(&PaneAccessibleFactory);
    return true;
  }();
  Q_UNUSED(factoryInstalled);
  setAccessibleName(QStringLiteral("输出内容"));

  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setCursor(Qt::IBeamCursor);
  QPalette paper = viewport()->palette();
  for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    paper.setColor(group, QPalette::Base, kPaper);
    paper.setColor(group, QPalette::Window, kPaper);
    paper.setColor(group, QPalette::Text, kInk);
    paper.setColor(group, QPalette::Highlight, kSelection);
    paper.setColor(group, QPalette::HighlightedText, kSelectedText);
  }
  viewport()->setPalette(paper);
  viewport()->setBackgroundRole(QPalette::Base);
  viewport()->setAutoFillBackground(true);
  verticalScrollBar()->setSingleStep(1);
  horizontalScrollBar()->setRange(0, 0);  // lines wrap, so nothing is ever off to the side
  ApplyFonts();

  searchSlice_.setSingleShot(true);
  searchSlice_.setInterval(0);
  connect(&searchSlice_, &QTimer::timeout, this, &TOutputPane::RunSearch);
  connect(findBar_, &TFindBar::FindRequested, this, &TOutputPane::Find);
  // Find as you type: from where the current match starts, so that it grows with the text.
  connect(findBar_, &TFindBar::TextEdited, this, [this] { StartSearch(true, Selection().from); });
  connect(findBar_, &TFindBar::Closed, this, &TOutputPane::CloseFindBar);
}

TOutputPane::~TOutputPane() = default;

void TOutputPane::Clear() {
  search_.reset();
  searchSlice_.stop();
  lines_.Clear();
  offsets_.Reset();
  visible_.clear();
  layoutValid_ = false;
  anchor_ = caret_ = {};
  selecting_ = false;
  notices_.Cleared();
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

int TOutputPane::LineLength(std::size_t line) const {
  return line < lines_.Count() ? static_cast<int>(Utf16Length(lines_.Text(line))) : 0;
}

// A listing adds lines by the million with no event dispatched in between: the view catches up
// once, when control is back in the event loop.
void TOutputPane::ScheduleRefresh() {
  if (refreshPending_) return;
  refreshPending_ = true;
  QMetaObject::invokeMethod(this, &TOutputPane::Refresh, Qt::QueuedConnection);
}

void TOutputPane::Refresh() {
  refreshPending_ = false;
  UpdateScrollBar();
  Invalidate();
  AnnounceTextChange();
}

void TOutputPane::Invalidate() {
  layoutValid_ = false;
  viewport()->update();
}

void TOutputPane::ApplyFonts() {
  const QFont designed = font();
  regular_ = designed;
  if (zoom_ != 0 && designed.pointSizeF() > 0) {
    regular_.setPointSizeF(std::clamp(designed.pointSizeF() + zoom_, kMinPoints, kMaxPoints));
  }
  bold_ = regular_;
  bold_.setBold(true);
  visible_.clear();
  UpdateScrollBar();
  Invalidate();
}

void TOutputPane::ZoomBy(int points) {
  const qreal designed = font().pointSizeF();
  if (designed <= 0) return;
  const int zoom = std::clamp(zoom_ + points, static_cast<int>(kMinPoints - designed),
                              static_cast<int>(kMaxPoints - designed));
  if (zoom == zoom_) return;
  zoom_ = zoom;
  ApplyFonts();
}

void TOutputPane::ResetZoom() {
  if (zoom_ == 0) return;
  zoom_ = 0;
  ApplyFonts();
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
  for (std::size_t line = FirstVisibleLine(); line < lines_.Count() && top < viewport()->height();
       ++line) {
    qreal height = 0;
    auto layout = LayOut(line, height);
    visible_.push_back({line, top, std::move(layout)});
    top += height;
  }
  layoutValid_ = true;
}

std::size_t TOutputPane::FirstVisibleLine() const {
  return static_cast<std::size_t>(std::max(0, verticalScrollBar()->value()));
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

void TOutputPane::ScrollTo(TTextPosition position, bool centre) {
  if (lines_.Count() == 0) return;
  const std::size_t line = std::min(position.line, lines_.Count() - 1);
  EnsureLayout();
  for (const TVisibleLine& visible : visible_) {
    if (visible.line == line) {
      const qreal bottom = visible.top + visible.layout->boundingRect().height();
      if (bottom <= viewport()->height() || visible.top <= kMargin) return;
    }
  }
  QScrollBar* bar = verticalScrollBar();
  std::size_t first = line;
  if (centre) {
    first = line - std::min<std::size_t>(line, static_cast<std::size_t>(bar->pageStep() / 2));
  } else if (line > FirstVisibleLine()) {
    // The first line from which `line` still fits at the bottom.
    qreal used = kMargin;
    for (std::size_t at = line + 1; at-- > 0;) {
      qreal height = 0;
      LayOut(at, height);
      if (used + height > viewport()->height() && at < line) break;
      used += height;
      first = at;
    }
  }
  bar->setValue(static_cast<int>(std::min<std::size_t>(first, INT_MAX)));
  Invalidate();
}

QList<QTextLayout::FormatRange> TOutputPane::Formats(const TVisibleLine& visible) const {
  QList<QTextLayout::FormatRange> formats;
  const QString& text = visible.layout->text();
  const QString needle = findBar_->isVisible() ? findBar_->Text() : QString();
  if (!needle.isEmpty()) {
    const Qt::CaseSensitivity cs =
        findBar_->CaseSensitive() ? Qt::CaseSensitive : Qt::CaseInsensitive;
    for (qsizetype at = text.indexOf(needle, 0, cs); at >= 0;
         at = text.indexOf(needle, at + needle.size(), cs)) {
      QTextLayout::FormatRange match;
      match.start = static_cast<int>(at);
      match.length = static_cast<int>(needle.size());
      match.format.setBackground(kMatch);
      formats.append(match);
    }
  }
  if (const auto part = ClipToLine(Selection(), visible.line, static_cast<int>(text.size()))) {
    QTextLayout::FormatRange selected;
    selected.start = part->start;
    selected.length = part->end - part->start;
    selected.format.setBackground(kSelection);
    selected.format.setForeground(kSelectedText);
    formats.append(selected);
  }
  return formats;
}

void TOutputPane::paintEvent(QPaintEvent*) {
  EnsureLayout();
  QPainter painter(viewport());
  painter.fillRect(viewport()->rect(), kPaper);
  for (const TVisibleLine& visible : visible_) {
    const auto& attributes = lines_.Attributes(visible.line);
    painter.setPen(QColor(attributes.color.red, attributes.color.green, attributes.color.blue));
    visible.layout->draw(&painter, {kMargin, visible.top}, Formats(visible));
    if (visible.line == caret_.line && hasFocus() && caretShown_) {
      painter.setPen(kInk);
      visible.layout->drawCursor(&painter, {kMargin, visible.top}, caret_.column, 1);
    }
  }
  if (hasFocus()) {
    painter.setPen(QPen(kFocusFrame, 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(viewport()->rect()).adjusted(1, 1, -1, -1));
  }
}

void TOutputPane::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  PlaceFindBar();
  UpdateScrollBar();
  Invalidate();
}

void TOutputPane::scrollContentsBy(int, int) { Invalidate(); }

void TOutputPane::changeEvent(QEvent* event) {
  if (event->type() == QEvent::FontChange) ApplyFonts();
  QAbstractScrollArea::changeEvent(event);
}

void TOutputPane::focusInEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusInEvent(event);
  RestartCaretBlink();
}

void TOutputPane::focusOutEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusOutEvent(event);
  caretBlink_.stop();
  viewport()->update();
}

void TOutputPane::RestartCaretBlink() {
  caretShown_ = true;
  const int flash = QApplication::cursorFlashTime();
  if (hasFocus() && flash > 0) {
    caretBlink_.start(flash / 2, this);
  } else {
    caretBlink_.stop();
  }
  viewport()->update();
}

void TOutputPane::timerEvent(QTimerEvent* event) {
  if (event->timerId() == caretBlink_.timerId()) {
    caretShown_ = !caretShown_;
    viewport()->update();
  } else if (event->timerId() == autoScroll_.timerId()) {
    // The button is held past an edge: scroll on, faster the further out the pointer is.
    const qreal y = lastMouse_.y();
    const qreal height = viewport()->height();
    const int step = y < 0 ? -1 - static_cast<int>(-y / 20)
                           : (y > height ? 1 + static_cast<int>((y - height) / 20) : 0);
    if (!selecting_ || step == 0) {
      autoScroll_.stop();
      return;
    }
    verticalScrollBar()->setValue(verticalScrollBar()->value() + step);
    DragTo(lastMouse_);
  } else {
    QAbstractScrollArea::timerEvent(event);
  }
}

TTextPosition TOutputPane::Clamped(TTextPosition position) const {
  if (lines_.Count() == 0) return {};
  position.line = std::min(position.line, lines_.Count() - 1);
  position.column = std::clamp(position.column, 0, LineLength(position.line));
  return position;
}

TTextPosition TOutputPane::HitTest(QPointF point) {
  EnsureLayout();
  if (visible_.empty()) return Clamped({lines_.Count(), TTextPosition::kLineEnd});
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
  return Clamped({visible_.back().line, TTextPosition::kLineEnd});
}

QRect TOutputPane::CharacterRect(TTextPosition position) {
  EnsureLayout();
  for (const TVisibleLine& visible : visible_) {
    if (visible.line != position.line) continue;
    const QTextLayout& layout = *visible.layout;
    const int length = static_cast<int>(layout.text().size());
    const int column = std::clamp(position.column, 0, length);
    const QTextLine row = layout.lineForTextPosition(column);
    if (!row.isValid()) return {};
    const qreal left = row.cursorToX(column);
    const qreal right = column < length ? row.cursorToX(column + 1) : left + 1;
    return QRectF(kMargin + std::min(left, right), visible.top + row.y(),
                  std::max<qreal>(1, std::abs(right - left)), row.height())
        .toAlignedRect();
  }
  return {};
}

void TOutputPane::SetSelection(TTextPosition anchor, TTextPosition caret) {
  anchor_ = Clamped(anchor);
  caret_ = Clamped(caret);
  preferredX_ = -1;
  ScrollTo(caret_);
  RestartCaretBlink();
  SelectionChanged(true);
}

void TOutputPane::MoveCaret(TTextPosition to, bool extend, bool keepColumnX) {
  caret_ = Clamped(to);
  if (!extend) anchor_ = caret_;
  if (!keepColumnX) preferredX_ = -1;
  ScrollTo(caret_);
  RestartCaretBlink();
  SelectionChanged(true);
}

qreal TOutputPane::CaretX(TTextPosition position) {
  qreal height = 0;
  const auto layout = LayOut(position.line, height);
  const QTextLine row = layout->lineForTextPosition(position.column);
  return row.isValid() ? row.cursorToX(position.column) : 0;
}

// `rows` rows of wrapped text up or down from `from`, keeping the caret's x across short lines.
TTextPosition TOutputPane::RowMove(TTextPosition from, int rows) {
  if (lines_.Count() == 0) return {};
  from = Clamped(from);
  if (preferredX_ < 0) preferredX_ = CaretX(from);
  std::size_t line = from.line;
  qreal height = 0;
  auto layout = LayOut(line, height);
  int row = std::max(0, layout->lineForTextPosition(from.column).lineNumber()) + rows;
  while (row < 0 && line > 0) {
    layout = LayOut(--line, height);
    row += layout->lineCount();
  }
  while (row >= layout->lineCount() && line + 1 < lines_.Count()) {
    row -= layout->lineCount();
    layout = LayOut(++line, height);
  }
  if (row < 0) return {line, 0};
  if (row >= layout->lineCount()) return {line, LineLength(line)};
  return {line, layout->lineAt(row).xToCursor(preferredX_)};
}

// The start or end of the wrapped row that holds `from`.
TTextPosition TOutputPane::RowEdge(TTextPosition from, bool end) {
  from = Clamped(from);
  qreal height = 0;
  const auto layout = LayOut(from.line, height);
  const QTextLine row = layout->lineForTextPosition(from.column);
  if (!row.isValid()) return from;
  if (!end) return {from.line, row.textStart()};
  int stop = row.textStart() + row.textLength();
  // A wrapped row ends in the space it broke at; the caret goes before it, not onto the next row.
  if (row.lineNumber() + 1 < layout->lineCount() && stop > row.textStart() &&
      layout->text().at(stop - 1).isSpace()) {
    --stop;
  }
  return {from.line, stop};
}

bool TOutputPane::MoveByKey(QKeyEvent* event) {
  enum class TMove {
    kNextChar,
    kPreviousChar,
    kNextWord,
    kPreviousWord,
    kNextLine,
    kPreviousLine,
    kNextPage,
    kPreviousPage,
    kStartOfLine,
    kEndOfLine,
    kStartOfDocument,
    kEndOfDocument,
  };
  struct TBinding {
    QKeySequence::StandardKey move;
    QKeySequence::StandardKey select;
    TMove what;
  };
  static constexpr TBinding kBindings[] = {
      {QKeySequence::MoveToNextChar, QKeySequence::SelectNextChar, TMove::kNextChar},
      {QKeySequence::MoveToPreviousChar, QKeySequence::SelectPreviousChar, TMove::kPreviousChar},
      {QKeySequence::MoveToNextWord, QKeySequence::SelectNextWord, TMove::kNextWord},
      {QKeySequence::MoveToPreviousWord, QKeySequence::SelectPreviousWord, TMove::kPreviousWord},
      {QKeySequence::MoveToNextLine, QKeySequence::SelectNextLine, TMove::kNextLine},
      {QKeySequence::MoveToPreviousLine, QKeySequence::SelectPreviousLine, TMove::kPreviousLine},
      {QKeySequence::MoveToNextPage, QKeySequence::SelectNextPage, TMove::kNextPage},
      {QKeySequence::MoveToPreviousPage, QKeySequence::SelectPreviousPage, TMove::kPreviousPage},
      {QKeySequence::MoveToStartOfLine, QKeySequence::SelectStartOfLine, TMove::kStartOfLine},
      {QKeySequence::MoveToEndOfLine, QKeySequence::SelectEndOfLine, TMove::kEndOfLine},
      {QKeySequence::MoveToStartOfDocument, QKeySequence::SelectStartOfDocument,
       TMove::kStartOfDocument},
      {QKeySequence::MoveToEndOfDocument, QKeySequence::SelectEndOfDocument, TMove::kEndOfDocument},
  };
  if (lines_.Count() == 0) return false;
  for (const TBinding& binding : kBindings) {
    const bool extend = event->matches(binding.select);
    if (!extend && !event->matches(binding.move)) continue;
    const TTextPosition at = Clamped(caret_);
    const QString text = LineString(lines_, at.line);
    const int length = static_cast<int>(text.size());
    const std::size_t last = lines_.Count() - 1;
    TTextPosition to = at;
    bool keepX = false;
    switch (binding.what) {
      case TMove::kNextChar:
        if (!extend && HasSelection()) {
          to = Selection().to;
        } else if (at.column < length) {
          to.column += text.at(at.column).isHighSurrogate() && at.column + 1 < length ? 2 : 1;
        } else if (at.line < last) {
          to = {at.line + 1, 0};
        }
        break;
      case TMove::kPreviousChar:
        if (!extend && HasSelection()) {
          to = Selection().from;
        } else if (at.column > 0) {
          to.column -= text.at(at.column - 1).isLowSurrogate() && at.column > 1 ? 2 : 1;
        } else if (at.line > 0) {
          to = {at.line - 1, LineLength(at.line - 1)};
        }
        break;
      case TMove::kNextWord:
        if (at.column >= length && at.line < last) {
          to = {at.line + 1, 0};
        } else {
          to.column = NextWordStart(text, at.column);
        }
        break;
      case TMove::kPreviousWord:
        if (at.column == 0 && at.line > 0) {
          to = {at.line - 1, LineLength(at.line - 1)};
        } else {
          to.column = PreviousWordStart(text, at.column);
        }
        break;
      case TMove::kNextLine:
      case TMove::kPreviousLine:
        to = RowMove(at, binding.what == TMove::kNextLine ? 1 : -1);
        keepX = true;
        break;
      case TMove::kNextPage:
      case TMove::kPreviousPage: {
        const int page = std::max(1, verticalScrollBar()->pageStep() - 1);
        const int rows = binding.what == TMove::kNextPage ? page : -page;
        // The view moves by the same page, so the caret keeps its place on screen.
        verticalScrollBar()->setValue(verticalScrollBar()->value() + rows);
        to = RowMove(at, rows);
        keepX = true;
        break;
      }
      case TMove::kStartOfLine:
      case TMove::kEndOfLine:
        to = RowEdge(at, binding.what == TMove::kEndOfLine);
        break;
      case TMove::kStartOfDocument:
        to = {0, 0};
        break;
      case TMove::kEndOfDocument:
        to = {last, LineLength(last)};
        break;
    }
    MoveCaret(to, extend, keepX);
    return true;
  }
  return false;
}

void TOutputPane::keyPressEvent(QKeyEvent* event) {
  const bool control = event->modifiers() & Qt::ControlModifier;
  const bool shift = event->modifiers() & Qt::ShiftModifier;
  if (event->matches(QKeySequence::Copy)) {
    Copy();
  } else if (event->matches(QKeySequence::SelectAll)) {
    SelectAll();
  } else if (event->matches(QKeySequence::Find)) {
    OpenFindBar();
  } else if (event->key() == Qt::Key_F3 && (event->modifiers() & ~Qt::ShiftModifier) == 0) {
    Find(!shift);
  } else if (event->key() == Qt::Key_Escape && findBar_->isVisible()) {
    findBar_->Close();
  } else if (control && (event->key() == Qt::Key_Equal || event->key() == Qt::Key_Plus)) {
    ZoomBy(1);
  } else if (control && event->key() == Qt::Key_Minus) {
    ZoomBy(-1);
  } else if (control && event->key() == Qt::Key_0) {
    ResetZoom();
  } else if (!MoveByKey(event)) {
    QAbstractScrollArea::keyPressEvent(event);
  }
}

void TOutputPane::wheelEvent(QWheelEvent* event) {
  if (event->modifiers() & Qt::ControlModifier) {
    const int delta = event->angleDelta().y();
    if (delta != 0) ZoomBy(delta > 0 ? 1 : -1);
    event->accept();
    return;
  }
  QAbstractScrollArea::wheelEvent(event);
}

void TOutputPane::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QAbstractScrollArea::mousePressEvent(event);
  const TTextPosition at = Clamped(HitTest(event->position()));
  lastMouse_ = event->position();
  preferredX_ = -1;
  selecting_ = true;
  const bool tripleClick =
      sinceDoubleClick_.isValid() &&
      sinceDoubleClick_.elapsed() < QApplication::doubleClickInterval() &&
      (event->position() - doubleClickAt_).manhattanLength() < QApplication::startDragDistance();
  sinceDoubleClick_.invalidate();
  if (tripleClick && lines_.Count() > 0) {
    selectingLines_ = true;
    lineAnchor_ = at.line;
    anchor_ = {at.line, 0};
    caret_ = {at.line, LineLength(at.line)};
  } else {
    selectingLines_ = false;
    if (!(event->modifiers() & Qt::ShiftModifier)) anchor_ = at;
    caret_ = at;
  }
  RestartCaretBlink();
  SelectionChanged(true);
}

void TOutputPane::DragTo(QPointF point) {
  const TTextPosition at = Clamped(HitTest(point));
  if (selectingLines_) {
    if (at.line >= lineAnchor_) {
      anchor_ = {lineAnchor_, 0};
      caret_ = {at.line, LineLength(at.line)};
    } else {
      anchor_ = {lineAnchor_, LineLength(lineAnchor_)};
      caret_ = {at.line, 0};
    }
  } else {
    caret_ = at;
  }
  RestartCaretBlink();
  SelectionChanged(true);
}

void TOutputPane::mouseMoveEvent(QMouseEvent* event) {
  if (!selecting_) return;
  lastMouse_ = event->position();
  // Past the top or bottom edge the pane scrolls on by itself while the button is held, so that a
  // selection can reach any line without the mouse moving.
  const bool outside = lastMouse_.y() < 0 || lastMouse_.y() > viewport()->height();
  if (outside && !autoScroll_.isActive()) {
    autoScroll_.start(40, this);
  } else if (!outside) {
    autoScroll_.stop();
  }
  DragTo(lastMouse_);
}

void TOutputPane::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QAbstractScrollArea::mouseReleaseEvent(event);
  selecting_ = false;
  selectingLines_ = false;
  autoScroll_.stop();
  SetPrimarySelection();
}

void TOutputPane::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || lines_.Count() == 0) return;
  const TTextPosition at = Clamped(HitTest(event->position()));
  const TColumns word = WordAt(LineString(lines_, at.line), at.column);
  anchor_ = {at.line, word.start};
  caret_ = {at.line, word.end};
  selecting_ = false;
  sinceDoubleClick_.start();
  doubleClickAt_ = event->position();
  RestartCaretBlink();
  SelectionChanged(true);
  SetPrimarySelection();
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
  caret_ = {lines_.Count() - 1, LineLength(lines_.Count() - 1)};
  SelectionChanged(true);
}

void TOutputPane::SelectionChanged(bool caretMoved) {
  viewport()->update();
  if (!QAccessible::isActive()) return;
  const auto caret = static_cast<int>(std::min<std::size_t>(OffsetOf(caret_), INT_MAX));
  if (caretMoved) {
    QAccessibleTextCursorEvent moved(this, caret);
    QAccessible::updateAccessibility(&moved);
  }
  const TTextRange selection = Selection();
  QAccessibleTextSelectionEvent selected(
      this, static_cast<int>(std::min<std::size_t>(OffsetOf(selection.from), INT_MAX)),
      static_cast<int>(std::min<std::size_t>(OffsetOf(selection.to), INT_MAX)));
  selected.setCursorPosition(caret);
  QAccessible::updateAccessibility(&selected);
}

std::size_t TOutputPane::OffsetOf(TTextPosition position) const {
  position = Clamped(position);
  return offsets_.OffsetOf(lines_, position.line) + static_cast<std::size_t>(position.column);
}

TTextPosition TOutputPane::PositionAtOffset(std::size_t offset) const {
  return offsets_.PositionAt(lines_, offset);
}

void TOutputPane::AnnounceTextChange() {
  for (const TTextNotice& notice : notices_.Take(lines_, QAccessible::isActive())) {
    const auto position = static_cast<int>(std::min<std::size_t>(notice.position, INT_MAX));
    switch (notice.kind) {
      case TTextNotice::TKind::kRemoved: {
        QAccessibleTextRemoveEvent removed(this, position, notice.text);
        QAccessible::updateAccessibility(&removed);
        break;
      }
      case TTextNotice::TKind::kInserted: {
        QAccessibleTextInsertEvent inserted(this, position, notice.text);
        QAccessible::updateAccessibility(&inserted);
        break;
      }
      case TTextNotice::TKind::kShownChanged: {
        QAccessibleEvent changed(this, QAccessible::VisibleDataChanged);
        QAccessible::updateAccessibility(&changed);
        break;
      }
    }
  }
}

QString TOutputPane::SelectedText() const {
  return HasSelection() ? QString::fromUtf8(ListingText(lines_, Selection())) : QString();
}

QString TOutputPane::SelectedHtml() const {
  return HasSelection() ? QString::fromUtf8(ListingHtml(lines_, Selection())) : QString();
}

void TOutputPane::Copy() const {
  if (!HasSelection()) return;
  RunHandler([this] {
    // The clipboard takes ownership.
    QApplication::clipboard()->setMimeData(
        std::make_unique<TListingMimeData>(lines_, Selection()).release());
  });
}

// On X11 a mouse selection is also the primary selection, which a middle click pastes elsewhere.
void TOutputPane::SetPrimarySelection() const {
  QClipboard* clipboard = QApplication::clipboard();
  if (!HasSelection() || !clipboard->supportsSelection()) return;
  RunHandler([this, clipboard] {
    clipboard->setMimeData(std::make_unique<TListingMimeData>(lines_, Selection()).release(),
                           QClipboard::Selection);
  });
}

void TOutputPane::PlaceFindBar() {
  const QRect area = viewport()->geometry();
  findBar_->setGeometry(area.left(), area.bottom() + 1, area.width(),
                        findBar_->sizeHint().height());
}

void TOutputPane::OpenFindBar() {
  setViewportMargins(0, 0, 0, findBar_->sizeHint().height());
  PlaceFindBar();
  findBar_->Open();
  UpdateScrollBar();
  Invalidate();
}

void TOutputPane::CloseFindBar() {
  search_.reset();
  searchSlice_.stop();
  setViewportMargins(0, 0, 0, 0);
  setFocus(Qt::OtherFocusReason);
  UpdateScrollBar();
  Invalidate();
}

void TOutputPane::Find(bool forward) {
  const TTextRange selection = Selection();
  StartSearch(forward, forward ? selection.to : selection.from);
}

void TOutputPane::StartSearch(bool forward, TTextPosition from) {
  search_.reset();
  searchSlice_.stop();
  if (!findBar_->isVisible()) OpenFindBar();
  viewport()->update();  // the marks of the matches in view follow the text
  if (findBar_->Text().isEmpty()) {
    findBar_->SetNote({});
    return;
  }
  search_ = std::make_unique<TListingSearch>(
      lines_, TFindRequest{findBar_->Text(), findBar_->CaseSensitive(), forward}, from);
  searchTime_.start();
  RunSearch();
}

// One slice of the running search; the next one is queued behind whatever events are waiting, so
// the window repaints and answers input while a search goes through 16 million lines.
void TOutputPane::RunSearch() {
  if (!search_) return;
  QElapsedTimer slice;
  slice.start();
  while (search_->State() == TListingSearch::TState::kRunning && slice.elapsed() < kSearchSliceMs) {
    search_->Step(kSearchStepBytes);
  }
  switch (search_->State()) {
    case TListingSearch::TState::kRunning:
      if (searchTime_.elapsed() >= kSearchNoteMs) findBar_->SetNote(QStringLiteral("正在查找..."));
      searchSlice_.start();
      return;
    case TListingSearch::TState::kFound: {
      const TTextRange match = search_->Match();
      const bool wrapped = search_->Wrapped();
      const bool forward = search_->Forward();
      search_.reset();
      ScrollTo(match.to, true);
      SetSelection(match.from, match.to);
      findBar_->SetNote(!wrapped  ? QString()
                        : forward ? QStringLiteral("已到达末尾，从开头继续查找")
                                  : QStringLiteral("已到达开头，从末尾继续查找"));
      Q_EMIT FindFinished(true);
      return;
    }
    case TListingSearch::TState::kNotFound:
      search_.reset();
      findBar_->SetNote(QStringLiteral("找不到“%1”").arg(findBar_->Text()));
      Q_EMIT FindFinished(false);
      return;
  }
}
