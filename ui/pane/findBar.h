// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QToolButton;

// The small bar at the foot of the output pane for finding a text in the listing: "查找：" and
// the text, the previous and next buttons, "区分大小写", a note ("找不到…", wrapped) and a close
// button. Enter and F3 find the next match, with Shift the previous one; Esc closes the bar.
class TFindBar final : public QWidget {
  Q_OBJECT

 public:
  explicit TFindBar(QWidget* parent = nullptr);

  QString Text() const;
  bool CaseSensitive() const;
  // Shows the bar with the text field focused and its text selected.
  void Open();
  void SetNote(const QString& note);
  QString Note() const;
  // Hides the bar; Closed follows.
  void Close();

 Q_SIGNALS:
  // The user asks for the next (forward) or previous match.
  void FindRequested(bool forward);
  // The text or the case option changed: the search starts again from where it stood.
  void TextEdited();
  void Closed();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QLineEdit* text_;
  QCheckBox* caseSensitive_;
  QLabel* note_;
};
