// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#pragma once

#include <QTreeView>
#include <string>

#include "shellFolderModel.h"

// The tree of the desktop's folders that the user chooses a folder in. It raises Change for every
// new selection, including the selection of its root that it makes once it has filled itself. A
// right click selects the folder under the pointer; its menu opens the folder in the file manager
// or copies its path. Names that do not fit scroll sideways rather than being cut short.
class TShellTreeView final : public QTreeView {
  Q_OBJECT

 public:
  explicit TShellTreeView(QWidget* parent = nullptr);
  // With `read` in place of the file system's own reading of subfolders.
  TShellTreeView(TReadSubfolders read, QWidget* parent);

  // The selected folder's full path; a virtual folder's display name; empty with no selection.
  std::string SelectedPath() const;
  TShellFolderModel& FolderModel() const { return *model_; }

  void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

 Q_SIGNALS:
  void Change();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void updateGeometries() override;

 private:
  void SelectRoot();
  void CopyPath(const std::string& path) const;

  TShellFolderModel* model_;  // a child of the view
};
