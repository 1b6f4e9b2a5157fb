// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#pragma once

#include <QDialog>

#include "ui_about.h"

// The About dialog: the program's name, version, designer and purpose. Created once, shown
// modally as often as asked, hidden again by "确定" or its close box.
class TFormAbout final : public QDialog {
  Q_OBJECT

 public:
  explicit TFormAbout(QWidget* parent = nullptr);

  void ButtonOkClick();

 private:
  Ui::TFormAbout ui_;
};

// The one About dialog, created by the application at start-up.
extern TFormAbout* FormAbout;
