// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#include "selectDir.h"

#include <QLayout>
#include <QShortcut>

#include "about.h"
#include "actionLink.h"
#include "errorDisplay.h"
#include "framePosition.h"
#include "menuBarStyle.h"
#include "outputDirTree.h"
#include "posixDirSource.h"

TFormSelectDir* FormSelectDir = nullptr;

namespace {

constexpr int kLeft = 129;
constexpr int kTop = 70;
constexpr int kClientWidth = 762;
constexpr int kClientHeight = 570;
constexpr int kStatusBarHeight = 28;

// A display name such as "计算机" must not pass for a folder that happens to carry that name in
// the current directory: only an absolute path names a folder.
bool IsFolderPath(const std::string& path) {
  return path.starts_with('/') && kestrova::IsExistingFolder(path);
}

}  // namespace

TFormSelectDir::TFormSelectDir(QWidget* parent) : QMainWindow(parent) {
  ui_.setupUi(this);
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  // The client area below the menu bar is 762 x 570, the status bar's 28 included, and the window
  // keeps the size of its contents.
  ui_.ClientArea->setFixedSize(kClientWidth, kClientHeight - kStatusBarHeight);
  ui_.StatusBar->setFixedHeight(kStatusBarHeight);
  layout()->setSizeConstraint(QLayout::SetFixedSize);
  ui_.Splitter1->setSizes({161, 591});
  // The designed position is the outer frame's, as the window manager draws it: a plain move()
  // would place the client area there and push the frame up by its title bar.
  PlaceFrameAt(*this, {kLeft, kTop});

  LinkToAction(*ui_.ButtonOutput, *ui_.ActionOutPut);
  LinkToAction(*ui_.N3, *ui_.ActionOutPut);
  connect(ui_.ShellTreeView, &TShellTreeView::Change, this, &TFormSelectDir::ShellTreeViewChange);
  connect(ui_.ActionOutPut, &QAction::triggered, this, &TFormSelectDir::ActionOutPutExecute);
  connect(ui_.N4, &QAction::triggered, this, &TFormSelectDir::N4Click);

  // Return and Enter press the focused "输出" as Space does.
  ui_.ButtonOutput->setAutoDefault(true);
  // F10 opens the first menu, as it does in the desktop's other windows; the menu items
  // themselves keep no shortcut. A lone Alt reaches the menu bar through the style, which shows
  // where the keyboard is.
  auto* const menuBarStyle = new TMenuBarStyle;
  menuBarStyle->setParent(ui_.MainMenu);
  ui_.MainMenu->setStyle(menuBarStyle);
  connect(new QShortcut(QKeySequence(Qt::Key_F10), this), &QShortcut::activated, this,
          [this] { ui_.MainMenu->setActiveAction(ui_.N1->menuAction()); });
}

void TFormSelectDir::ShellTreeViewChange() {
  RunHandler([this] {
    if (IsFolderPath(ui_.ShellTreeView->SelectedPath())) {
      ui_.ActionOutPut->setEnabled(true);
      ui_.EditSelectedDir->SetPath(ui_.ShellTreeView->SelectedPath());
    } else {
      ui_.ActionOutPut->setEnabled(false);
    }
  });
}

void TFormSelectDir::ActionOutPutExecute() {
  RunHandler([this] {
    kestrova::RunOutputCommand(ui_.EditSelectedDir->Path(), *ui_.RichEditOutput, *ui_.StatusBar);
  });
}

void TFormSelectDir::N4Click() {
  RunHandler([] { FormAbout->exec(); });
}
