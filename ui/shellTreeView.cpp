// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#include "shellTreeView.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QFile>
#include <QMenu>
#include <QMouseEvent>
#include <QUrl>

#include "shellFolderModel.h"

TShellTreeView::TShellTreeView(QWidget* parent)
    : QTreeView(parent), model_(new TShellFolderModel(this)) {
  setModel(model_);
  setHeaderHidden(true);
  setIndentation(19);
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  connect(selectionModel(), &QItemSelectionModel::currentChanged, this, &TShellTreeView::Change);
  // "Filled" means once the window is up and events flow: the owner has connected to Change by
  // then, and hears of the first selection like of any other.
  QMetaObject::invokeMethod(this, &TShellTreeView::SelectRoot, Qt::QueuedConnection);
}

void TShellTreeView::SelectRoot() {
  const QModelIndex root = model_->index(0, 0);
  setCurrentIndex(root);
  expand(root);
}

std::string TShellTreeView::SelectedPath() const { return model_->Path(currentIndex()); }

void TShellTreeView::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton) {
    const QModelIndex under = indexAt(event->position().toPoint());
    if (under.isValid()) setCurrentIndex(under);
    return;
  }
  QTreeView::mousePressEvent(event);
}

void TShellTreeView::contextMenuEvent(QContextMenuEvent* event) {
  const QModelIndex current = currentIndex();
  const bool offTheNode =
      event->reason() == QContextMenuEvent::Mouse && !visualRect(current).contains(event->pos());
  if (!model_->IsFileSystemFolder(current) || offTheNode) return;
  const QString path = QFile::decodeName(QByteArray::fromStdString(model_->Path(current)));
  QMenu menu(this);
  connect(menu.addAction(QStringLiteral("打开")), &QAction::triggered, this,
          [path] { QDesktopServices::openUrl(QUrl::fromLocalFile(path)); });
  connect(menu.addAction(QStringLiteral("复制路径")), &QAction::triggered, this,
          [path] { QApplication::clipboard()->setText(path); });
  menu.exec(event->globalPos());
}
