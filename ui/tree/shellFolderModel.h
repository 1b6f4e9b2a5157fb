// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#pragma once

#include <QAbstractItemModel>
#include <QIcon>
#include <QString>
#include <cstddef>
#include <functional>
#include <memory>
#include <stop_token>
#include <string>
#include <unordered_map>

#include "folderReader.h"
#include "folderRow.h"

// Reads one folder's subfolders, in the order the tree shows them. It runs on a reading thread of
// its own, so it must touch nothing but its arguments and what it owns.
using TReadSubfolders =
    std::function<kestrova::tree::TFolderRows(const std::string& folder, std::stop_token stop)>;

// The subfolders the tree shows (see ReadSubfolders), sorted as a person looks for them.
kestrova::tree::TFolderRows ReadSortedSubfolders(const std::string& folder, std::stop_token stop);

// The folders of the desktop as a tree: the root "桌面" stands for the desktop folder (the home
// folder where there is none); under it the virtual "计算机" with "/" and the mounted volumes, the
// home folder, then the desktop folder's own subfolders. A folder's subfolders are read when the
// view first asks for them, on a thread of their own: until they are in, the folder holds one
// disabled row, "正在读取...". The model does not follow later changes.
class TShellFolderModel final : public QAbstractItemModel {
  Q_OBJECT

 public:
  explicit TShellFolderModel(QObject* parent = nullptr,
                             TReadSubfolders read = ReadSortedSubfolders);
  ~TShellFolderModel() override;

  // The folder's full path, raw bytes; for a virtual folder its display name in UTF-8; empty for
  // the row that stands for a reading.
  std::string Path(const QModelIndex& index) const;
  bool IsFileSystemFolder(const QModelIndex& index) const;
  // The folder's subfolders are being read, or are not all in the model yet.
  bool IsReading(const QModelIndex& index) const;

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool hasChildren(const QModelIndex& parent = {}) const override;
  bool canFetchMore(const QModelIndex& parent) const override;
  void fetchMore(const QModelIndex& parent) override;

 private:
  struct TNode;
  TNode* NodeOf(const QModelIndex& index) const;
  QModelIndex IndexOf(TNode& node) const;
  TNode& AddChild(TNode& parent, QString name, std::string path, QIcon icon, bool virtualFolder);
  void StartReading(TNode& node);
  void TakeReadings();
  void FinishReading(TNode& node, kestrova::tree::TFolderRows rows);
  void AddArrived(TNode& node);

  QIcon folderIcon_;
  std::unique_ptr<TNode> invisibleRoot_;
  TReadSubfolders read_;
  std::unordered_map<kestrova::tree::TFolderReader::TTicket, TNode*> readings_;
  // Last, so that it goes first: no reading reports to a model that is being taken apart.
  std::unique_ptr<kestrova::tree::TFolderReader> reader_;
};
