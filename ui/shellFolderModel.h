// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#pragma once

#include <QAbstractItemModel>
#include <QIcon>
#include <QString>
#include <memory>
#include <string>
#include <vector>

// The folders of the desktop as a tree: the root "桌面" stands for the desktop folder (the home
// folder where there is none); under it the virtual "计算机" with "/" and the mounted volumes, the
// home folder, then the desktop folder's own subfolders. A folder's subfolders are read when the
// view first asks for them; the model does not follow later changes. Folders whose names begin
// with "." are left out, as the listing leaves them out.
class TShellFolderModel final : public QAbstractItemModel {
  Q_OBJECT

 public:
  explicit TShellFolderModel(QObject* parent = nullptr);
  ~TShellFolderModel() override;

  // The folder's full path, raw bytes; for a virtual folder its display name in UTF-8.
  std::string Path(const QModelIndex& index) const;
  bool IsFileSystemFolder(const QModelIndex& index) const;

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  bool hasChildren(const QModelIndex& parent = {}) const override;
  bool canFetchMore(const QModelIndex& parent) const override;
  void fetchMore(const QModelIndex& parent) override;

 private:
  struct TNode;
  TNode* NodeOf(const QModelIndex& index) const;
  TNode& AddChild(TNode& parent, QString name, std::string path, QIcon icon, bool virtualFolder);
  void AddPending(TNode* node);

  static constexpr std::size_t kBatchRows = 2000;
  QIcon folderIcon_;
  std::unique_ptr<TNode> invisibleRoot_;
};
