// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#pragma once

#include <QMainWindow>

#include "ui_selectDir.h"

// The main window: the folder tree, the path field, the Output command on a button and in the
// "操作" menu, the output pane and the status bar.
class TFormSelectDir final : public QMainWindow {
  Q_OBJECT

 public:
  explicit TFormSelectDir(QWidget* parent = nullptr);

  // The folder tree's selection changed: the command is enabled, and the field shows the path,
  // exactly when the selection is an existing folder; otherwise the field keeps its text.
  void ShellTreeViewChange();
  // The Output command: lists the path shown in the field, not the tree's current selection.
  void ActionOutPutExecute();
  // "帮助" → "关于...": the About dialog, modally.
  void N4Click();

 private:
  Ui::TFormSelectDir ui_;
};

// The one main window, created by the application at start-up.
extern TFormSelectDir* FormSelectDir;
