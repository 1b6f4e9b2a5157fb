// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#pragma once

#include <QAbstractScrollArea>
#include <QFont>
#include <QString>
#include <QTextLayout>
#include <climits>
#include <cstddef>
#include <memory>
#include <vector>

#include "lineStore.h"
#include "listingCopy.h"
#include "outputSink.h"
#include "recordingSink.h"

class QMimeData;

// The read-only pane that shows a listing: the window's one TOutputSink. Every line keeps the
// colour and weight current when it was added. Only the lines in view are laid out and drawn, and
// the vertical scroll bar counts lines, so a pane of millions of lines costs little more than
// their text. Lines wrap at the pane's width. Text can be selected with the mouse, and copied with
// Ctrl+C or the context menu as plain text and as HTML that keeps each line's colour and weight;
// the clipboard gets a snapshot of the lines and turns it into text only when it is pasted.
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
  std::size_t BytesReserved() const { return lines_.BytesReserved(); }
  // A smaller capacity than the built-in one, for trying the failure without millions of lines.
  void SetLineCapacity(std::size_t lines) { lineCapacity_ = lines; }

  bool HasSelection() const { return anchor_ != cursor_; }
  QString SelectedText() const;
  QString SelectedHtml() const;
  void SelectAll();
  void Copy() const;
  void ScrollToEnd();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void changeEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

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
  TTextPosition HitTest(QPointF point);
  TTextRange Selection() const;

  TLineStore lines_;
  TLineStore::TAttributes current_;
  std::size_t lineCapacity_ = kLineCapacity;
  QFont regular_;
  QFont bold_;
  std::vector<TVisibleLine> visible_;
  bool layoutValid_ = false;
  bool refreshPending_ = false;
  TTextPosition anchor_;
  TTextPosition cursor_;
  bool selecting_ = false;
};
