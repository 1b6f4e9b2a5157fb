// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#pragma once

#include <QAccessibleWidget>

class TOutputPane;

// What assistive technology sees of the output pane: read-only, multi-line text with a caret and
// a selection. Every offset is a UTF-16 offset into the pane's lines joined by "\n". Questions are
// answered from the lines they touch; only a request for a span of text builds a string, and
// that string is cut at kTextLimit units, so that no question about a listing of 16 million lines
// makes gigabytes of it. Offsets past INT_MAX, the limit of Qt's interface, cannot be reached.
class TPaneAccessible final : public QAccessibleWidget, public QAccessibleTextInterface {
 public:
  static constexpr int kTextLimit = 1 << 24;

  explicit TPaneAccessible(TOutputPane* pane);

  void* interface_cast(QAccessible::InterfaceType type) override;
  QAccessible::State state() const override;

  void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
  int selectionCount() const override;
  void addSelection(int startOffset, int endOffset) override;
  void removeSelection(int selectionIndex) override;
  void setSelection(int selectionIndex, int startOffset, int endOffset) override;
  int cursorPosition() const override;
  void setCursorPosition(int position) override;
  QString text(QAccessible::Text type) const override { return QAccessibleWidget::text(type); }
  QString text(int startOffset, int endOffset) const override;
  QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                           int* endOffset) const override;
  QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                          int* endOffset) const override;
  QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                       int* endOffset) const override;
  int characterCount() const override;
  QRect characterRect(int offset) const override;
  int offsetAtPoint(const QPoint& point) const override;
  void scrollToSubstring(int startIndex, int endIndex) override;
  QString attributes(int offset, int* startOffset, int* endOffset) const override;

 private:
  TOutputPane* Pane() const;
  int Offset(std::size_t offset) const;
  // The unit of `boundaryType` that holds `offset`, found within that offset's line.
  QString Around(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                 int* endOffset) const;
};

// Installed with QAccessible::installFactory: the interface for every TOutputPane.
QAccessibleInterface* PaneAccessibleFactory(const QString& className, QObject* object);
