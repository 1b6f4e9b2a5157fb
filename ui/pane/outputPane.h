// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#pragma once

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QElapsedTimer>
#include <QFont>
#include <QString>
#include <QTextLayout>
#include <QTimer>
#include <cstddef>
#include <memory>
#include <optional>
#include <vector>

#include "lineOffsets.h"
#include "lineStore.h"
#include "listingFind.h"
#include "outputSink.h"
#include "recordingSink.h"
#include "textNotices.h"
#include "textSelection.h"

class TFindBar;

// The read-only pane that shows a listing: the window's one TOutputSink. Every line keeps the
// colour and weight current when it was added. Only the lines in view are laid out and drawn, and
// the vertical scroll bar counts lines, so a pane of millions of lines costs little more than
// their text. Lines wrap at the pane's width.
//
// It works as a read-only text control does: a caret that the arrow keys, Home/End, PageUp/Down
// and Ctrl+Home/End move, with Shift extending the selection; selection by mouse (double-click a
// word, triple-click a line, dragging past an edge scrolls), which on X11 also becomes the
// primary selection; Ctrl+A, Ctrl+C and a context menu; zoom with Ctrl+wheel, Ctrl+=, Ctrl+- and
// Ctrl+0. Ctrl+F opens a find bar at its foot. Its text is paper whatever the desktop's colours:
// the listing's own colours on white. Screen readers read it through a QAccessibleTextInterface.
//
// The clipboard gets a snapshot of the selected lines, turned into text or HTML only when pasted.
//
// Capacity: kLineCapacity lines and kTextCapacity bytes of text; the line past either fails with
// ELineInsertionError ("RichEdit line insertion error") and the lines before it stay.
class TOutputPane final : public QAbstractScrollArea, public kestrova::TOutputSink {
  Q_OBJECT

 public:
  static constexpr std::size_t kLineCapacity = std::size_t{1} << 24;  // 16,777,216 lines
  static constexpr std::size_t kTextCapacity = std::size_t{1} << 31;  // 2 GiB

  explicit TOutputPane(QWidget* parent = nullptr);
  ~TOutputPane() override;

  void Clear() override;
  void SetBold(bool bold) override { current_.bold = bold; }
  void SetColor(kestrova::TColor color) override { current_.color = color; }
  void AddLine(std::string_view text) override;

  std::size_t LineCount() const { return lines_.Count(); }
  kestrova::TRecordedLine Line(std::size_t line) const;
  const TLineView& Lines() const { return lines_; }
  std::size_t BytesReserved() const { return lines_.BytesReserved(); }
  // A smaller capacity than the built-in one, for trying the failure without millions of lines.
  void SetLineCapacity(std::size_t lines) { lineCapacity_ = lines; }

  // The caret, and the selection between the anchor and the caret.
  TTextPosition Caret() const { return caret_; }
  TTextRange Selection() const { return Ordered(anchor_, caret_); }
  bool HasSelection() const { return anchor_ != caret_; }
  // Moves the anchor and the caret (clamped to the text) and scrolls the caret into view.
  void SetSelection(TTextPosition anchor, TTextPosition caret);
  QString SelectedText() const;
  QString SelectedHtml() const;
  void SelectAll();
  void Copy() const;
  void ScrollToEnd();
  // Scrolls so that `position`'s line is in view; `centre` puts it mid-pane when it was not.
  void ScrollTo(TTextPosition position, bool centre = false);
  std::size_t FirstVisibleLine() const;

  // The text's font, zoomed; and the zoom in points from the designed size.
  QFont TextFont() const { return regular_; }
  int Zoom() const { return zoom_; }
  void ZoomBy(int points);
  void ResetZoom();

  TFindBar& FindBar() const { return *findBar_; }
  void OpenFindBar();
  // Finds the find bar's text from the selection on, a slice at a time; FindFinished tells the end.
  void Find(bool forward);
  bool Finding() const { return search_ != nullptr; }

  // For assistive technology: the text as one string with its lines joined by "\n".
  TLineOffsets& Offsets() const { return offsets_; }
  std::size_t OffsetOf(TTextPosition position) const;
  TTextPosition PositionAtOffset(std::size_t offset) const;
  // The character at `position` in viewport coordinates; empty when its line is not in view.
  QRect CharacterRect(TTextPosition position);
  // The position under a point of the viewport.
  TTextPosition HitTest(QPointF point);
  int LineLength(std::size_t line) const;

 Q_SIGNALS:
  void FindFinished(bool found);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void changeEvent(QEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void timerEvent(QTimerEvent* event) override;

 private:
  struct TVisibleLine {
    std::size_t line;
    qreal top;
    std::unique_ptr<QTextLayout> layout;
  };

  std::unique_ptr<QTextLayout> LayOut(std::size_t line, qreal& height) const;
  void EnsureLayout();
  void Invalidate();
  void UpdateScrollBar();
  void ScheduleRefresh();
  void Refresh();
  void ApplyFonts();
  void PlaceFindBar();
  TTextPosition Clamped(TTextPosition position) const;
  // Moves the caret, and the anchor with it unless the selection is being extended.
  void MoveCaret(TTextPosition to, bool extend, bool keepColumnX = false);
  bool MoveByKey(QKeyEvent* event);
  TTextPosition RowMove(TTextPosition from, int rows);
  TTextPosition RowEdge(TTextPosition from, bool end);
  qreal CaretX(TTextPosition position);
  void SelectionChanged(bool caretMoved);
  void SetPrimarySelection() const;
  void StartSearch(bool forward, TTextPosition from);
  void RunSearch();
  void CloseFindBar();
  void DragTo(QPointF point);
  void RestartCaretBlink();
  void AnnounceTextChange();
  QList<QTextLayout::FormatRange> Formats(const TVisibleLine& visible) const;

  TLineStore lines_;
  TLineStore::TAttributes current_;
  std::size_t lineCapacity_ = kLineCapacity;
  QFont regular_;
  QFont bold_;
  int zoom_ = 0;
  std::vector<TVisibleLine> visible_;
  bool layoutValid_ = false;
  bool refreshPending_ = false;

  TTextPosition anchor_;
  TTextPosition caret_;
  qreal preferredX_ = -1;  // where Up and Down keep the caret, across short lines
  bool selecting_ = false;
  bool selectingLines_ = false;  // a triple-click drag extends by whole lines
  std::size_t lineAnchor_ = 0;
  QPointF lastMouse_;
  QBasicTimer autoScroll_;
  QBasicTimer caretBlink_;
  bool caretShown_ = true;
  QElapsedTimer sinceDoubleClick_;
  QPointF doubleClickAt_;

  TFindBar* findBar_;  // a child of the pane
  std::unique_ptr<TListingSearch> search_;
  QElapsedTimer searchTime_;
  QTimer searchSlice_;

  mutable TLineOffsets offsets_;
  TTextNotices notices_;
};
