// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#include "shellTreeView.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <algorithm>

#include "errorDisplay.h"
#include "folderOpener.h"
#include "pathEncoding.h"

TShellTreeView::TShellTreeView(QWidget* parent) : TShellTreeView(ReadSortedSubfolders, parent) {}

TShellTreeView::TShellTreeView(TReadSubfolders read, QWidget* parent)
    : QTreeView(parent), model_(new TShellFolderModel(this, std::move(read))) {
  setModel(model_);
  setHeaderHidden(true);
  setIndentation(19);
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  // The one column's width is set by updateGeometries.
  header()->setStretchLastSection(false);
  header()->setSectionResizeMode(0, QHeaderView::Fixed);
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

// The one column is as wide as the widest name shown, so that a deep folder's name scrolls sideways
// instead of being cut short, and at least as wide as the view, so that a selection spans the row.
// Resizing the column brings the view back here once more, with nothing left to change.
void TShellTreeView::updateGeometries() {
  const int width = std::max(viewport()->width(), sizeHintForColumn(0));
  if (header()->sectionSize(0) != width) header()->resizeSection(0, width);
  QTreeView::updateGeometries();
}

std::string TShellTreeView::SelectedPath() const { return model_->Path(currentIndex()); }

// The base class brings the column's left edge into sight, which for a deep folder hides its name.
// Instead the sideways scroll moves only as far as it takes to show the folder's expander, icon
// and name, the start of them where not all fits.
void TShellTreeView::scrollTo(const QModelIndex& index, ScrollHint hint) {
  QScrollBar* sideways = horizontalScrollBar();
  const int before = sideways->value();
  QTreeView::scrollTo(index, hint);
  sideways->setValue(before);
  if (!index.isValid()) return;
  const QRect item = visualRect(index);
  const int left = item.left() - indentation();
  const int right = item.left() + sizeHintForIndex(index).width();
  const int width = viewport()->width();
  if (left < 0 || right - left > width) {
    sideways->setValue(sideways->value() + left);
  } else if (right > width) {
    sideways->setValue(sideways->value() + right - width);
  }
}

void TShellTreeView::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton) {
    const QModelIndex under = indexAt(event->position().toPoint());
    if (under.isValid() && (model_->flags(under) & Qt::ItemIsSelectable)) setCurrentIndex(under);
    return;
  }
  QTreeView::mousePressEvent(event);
}

void TShellTreeView::contextMenuEvent(QContextMenuEvent* event) {
  const QModelIndex current = currentIndex();
  const bool offTheNode =
      event->reason() == QContextMenuEvent::Mouse && !visualRect(current).contains(event->pos());
  if (!model_->IsFileSystemFolder(current) || offTheNode) return;
  const std::string path = model_->Path(current);
  QMenu menu(this);
  connect(menu.addAction(QStringLiteral("打开")), &QAction::triggered, this,
          [this, path] { RunHandler([&] { kestrova::tree::OpenInFileManager(path, this); }); });
  connect(menu.addAction(QStringLiteral("复制路径")), &QAction::triggered, this,
          [this, path] { RunHandler([&] { CopyPath(path); }); });
  // From the keyboard the menu opens at the folder, not wherever the pointer happens to be.
  const QPoint at = event->reason() == QContextMenuEvent::Mouse
                        ? event->globalPos()
                        : viewport()->mapToGlobal(visualRect(current).center());
  menu.exec(at);
}

// Pasted as text, the path gives back its exact bytes; file managers take the URL.
void TShellTreeView::CopyPath(const std::string& path) const {
  auto mime = std::make_unique<QMimeData>();
  mime->setText(QString::fromStdString(kestrova::tree::PastableText(path)));
  mime->setData(QStringLiteral("text/uri-list"),
                QByteArray::fromStdString(kestrova::tree::FileUrl(path) + "\r\n"));
  QApplication::clipboard()->setMimeData(mime.release());
}
