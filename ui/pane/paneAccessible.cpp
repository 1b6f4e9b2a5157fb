// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#include "paneAccessible.h"

#include <QTextBoundaryFinder>
#include <QWidget>
#include <algorithm>
#include <climits>

#include "listingCopy.h"
#include "outputPane.h"

TPaneAccessible::TPaneAccessible(TOutputPane* pane)
    : QAccessibleWidget(pane, QAccessible::EditableText) {}

TOutputPane* TPaneAccessible::Pane() const { return static_cast<TOutputPane*>(widget()); }

int TPaneAccessible::Offset(std::size_t offset) const {
  return static_cast<int>(std::min<std::size_t>(offset, INT_MAX));
}

void* TPaneAccessible::interface_cast(QAccessible::InterfaceType type) {
  if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
  return QAccessibleWidget::interface_cast(type);
}

QAccessible::State TPaneAccessible::state() const {
  QAccessible::State state = QAccessibleWidget::state();
  state.readOnly = true;
  state.editable = false;
  state.multiLine = true;
  state.selectableText = true;
  return state;
}

void TPaneAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const {
  *startOffset = *endOffset = 0;
  if (selectionIndex != 0 || !Pane()->HasSelection()) return;
  const TTextRange range = Pane()->Selection();
  *startOffset = Offset(Pane()->OffsetOf(range.from));
  *endOffset = Offset(Pane()->OffsetOf(range.to));
}

int TPaneAccessible::selectionCount() const { return Pane()->HasSelection() ? 1 : 0; }

void TPaneAccessible::addSelection(int startOffset, int endOffset) {
  setSelection(0, startOffset, endOffset);
}

void TPaneAccessible::removeSelection(int selectionIndex) {
  if (selectionIndex != 0) return;
  Pane()->SetSelection(Pane()->Caret(), Pane()->Caret());
}

void TPaneAccessible::setSelection(int selectionIndex, int startOffset, int endOffset) {
  if (selectionIndex != 0) return;
  const auto at = [this](int offset) {
    return Pane()->PositionAtOffset(static_cast<std::size_t>(std::max(0, offset)));
  };
  Pane()->SetSelection(at(startOffset), at(endOffset));
}

int TPaneAccessible::cursorPosition() const { return Offset(Pane()->OffsetOf(Pane()->Caret())); }

void TPaneAccessible::setCursorPosition(int position) {
  const TTextPosition at =
      Pane()->PositionAtOffset(static_cast<std::size_t>(std::max(0, position)));
  Pane()->SetSelection(at, at);
}

int TPaneAccessible::characterCount() const {
  return Offset(Pane()->Offsets().Length(Pane()->Lines()));
}

QString TPaneAccessible::text(int startOffset, int endOffset) const {
  const int count = characterCount();
  startOffset = std::clamp(startOffset, 0, count);
  endOffset = std::clamp(endOffset < 0 ? count : endOffset, startOffset, count);
  endOffset = std::min(endOffset, startOffset + std::min(kTextLimit, INT_MAX - startOffset));
  if (startOffset == endOffset) return {};
  const TTextPosition from = Pane()->PositionAtOffset(static_cast<std::size_t>(startOffset));
  const TTextPosition to = Pane()->PositionAtOffset(static_cast<std::size_t>(endOffset));
  return QString::fromUtf8(ListingText(Pane()->Lines(), {from, to}));
}

QString TPaneAccessible::Around(int offset, QAccessible::TextBoundaryType boundaryType,
                                int* startOffset, int* endOffset) const {
  const int count = characterCount();
  *startOffset = *endOffset = std::clamp(offset, 0, count);
  if (offset < 0 || offset >= count) return {};
  if (boundaryType == QAccessible::NoBoundary) {
    *startOffset = 0;
    *endOffset = count;
    return text(0, count);
  }
  const TOutputPane* pane = Pane();
  const TTextPosition at = pane->PositionAtOffset(static_cast<std::size_t>(offset));
  const int lineStart = Offset(pane->OffsetOf({at.line, 0}));
  // The line with its break: that is where a line, a paragraph or a sentence of the listing ends.
  QString line = LineString(pane->Lines(), at.line);
  if (at.line + 1 < pane->LineCount()) line += QLatin1Char('\n');
  int start = 0;
  int end = static_cast<int>(line.size());
  if (boundaryType == QAccessible::CharBoundary || boundaryType == QAccessible::WordBoundary) {
    QTextBoundaryFinder finder(boundaryType == QAccessible::CharBoundary
                                   ? QTextBoundaryFinder::Grapheme
                                   : QTextBoundaryFinder::Word,
                               line);
    finder.setPosition(at.column);
    start = finder.isAtBoundary() ? at.column : static_cast<int>(finder.toPreviousBoundary());
    finder.setPosition(at.column);
    end = static_cast<int>(finder.toNextBoundary());
    if (start < 0) start = 0;
    if (end < 0) end = static_cast<int>(line.size());
  }
  *startOffset = lineStart + start;
  *endOffset = lineStart + end;
  return line.mid(start, end - start);
}

QString TPaneAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                      int* startOffset, int* endOffset) const {
  return Around(offset, boundaryType, startOffset, endOffset);
}

QString TPaneAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                          int* startOffset, int* endOffset) const {
  int start = 0;
  int end = 0;
  Around(std::min(offset, characterCount()), boundaryType, &start, &end);
  if (offset >= characterCount()) start = characterCount();
  if (start == 0 || boundaryType == QAccessible::NoBoundary) {
    *startOffset = *endOffset = 0;
    return {};
  }
  return Around(start - 1, boundaryType, startOffset, endOffset);
}

QString TPaneAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                         int* startOffset, int* endOffset) const {
  int start = 0;
  int end = 0;
  Around(offset, boundaryType, &start, &end);
  if (end >= characterCount() || boundaryType == QAccessible::NoBoundary) {
    *startOffset = *endOffset = characterCount();
    return {};
  }
  return Around(end, boundaryType, startOffset, endOffset);
}

QRect TPaneAccessible::characterRect(int offset) const {
  TOutputPane* pane = Pane();
  const QRect rect = pane->CharacterRect(pane->PositionAtOffset(static_cast<std::size_t>(offset)));
  if (rect.isEmpty()) return {};
  return QRect(pane->viewport()->mapToGlobal(rect.topLeft()), rect.size());
}

int TPaneAccessible::offsetAtPoint(const QPoint& point) const {
  TOutputPane* pane = Pane();
  const QPoint local = pane->viewport()->mapFromGlobal(point);
  if (!pane->viewport()->rect().contains(local) || pane->LineCount() == 0) return -1;
  return Offset(pane->OffsetOf(pane->HitTest(local)));
}

void TPaneAccessible::scrollToSubstring(int startIndex, int) {
  Pane()->ScrollTo(Pane()->PositionAtOffset(static_cast<std::size_t>(std::max(0, startIndex))));
}

// Each line has one colour and one weight, so a run of attributes is a line.
QString TPaneAccessible::attributes(int offset, int* startOffset, int* endOffset) const {
  const TOutputPane* pane = Pane();
  *startOffset = *endOffset = 0;
  if (pane->LineCount() == 0 || offset < 0) return {};
  const TTextPosition at = pane->PositionAtOffset(static_cast<std::size_t>(offset));
  *startOffset = Offset(pane->OffsetOf({at.line, 0}));
  *endOffset = Offset(pane->OffsetOf({at.line, TTextPosition::kLineEnd}));
  const auto& attributes = pane->Lines().Attributes(at.line);
  const QFont font = pane->TextFont();
  QString result =
      QStringLiteral("font-family:\"%1\";font-size:%2pt;").arg(font.family()).arg(font.pointSize());
  if (attributes.bold) result += QStringLiteral("font-weight:700;");
  result += QStringLiteral("color:rgb(%1,%2,%3);background-color:rgb(255,255,255);")
                .arg(attributes.color.red)
                .arg(attributes.color.green)
                .arg(attributes.color.blue);
  return result;
}

QAccessibleInterface* PaneAccessibleFactory(const QString& className, QObject* object) {
  if (className == QLatin1String("TOutputPane") && object && object->isWidgetType()) {
    // QAccessible takes it into its cache and deletes it with the pane.
    return new TPaneAccessible(static_cast<TOutputPane*>(object));
  }
  return nullptr;
}
