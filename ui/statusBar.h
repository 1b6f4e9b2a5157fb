// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#pragma once

#include <QStatusBar>
#include <string_view>

#include "outputDirTree.h"

class QLabel;

// The window's status bar: one text, set by the Output command. The text sits in a label of its
// own, so that hovering over menu items, which sends empty status tips, does not wipe it.
class TStatusBar final : public QStatusBar, public kestrova::TStatusReceiver {
  Q_OBJECT

 public:
  explicit TStatusBar(QWidget* parent = nullptr);

  // Paints the new text at once: the Output command runs without returning to the event loop.
  void SetStatusText(std::string_view text) override;
  QString StatusText() const;

 private:
  QLabel* text_;  // a child of the status bar
};
