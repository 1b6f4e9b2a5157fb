// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#pragma once

#include <QTreeView>
#include <string>

class TShellFolderModel;

// The tree of the desktop's folders that the user chooses a folder in. It raises Change for every
// new selection, including the selection of its root that it makes once it has filled itself. A
// right click selects the folder under the pointer and offers to open it in the file manager.
class TShellTreeView final : public QTreeView {
  Q_OBJECT

 public:
  explicit TShellTreeView(QWidget* parent = nullptr);

  // The selected folder's full path; a virtual folder's display name; empty with no selection.
  std::string SelectedPath() const;
  TShellFolderModel& FolderModel() const { return *model_; }

 Q_SIGNALS:
  void Change();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void SelectRoot();

  TShellFolderModel* model_;  // a child of the view
};
