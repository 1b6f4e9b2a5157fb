// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#include "shellFolderModel.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QTimer>
#include <algorithm>

#include "displayText.h"
#include "errorDisplay.h"
#include "posixDirSource.h"

struct TShellFolderModel::TNode {
  QString name;
  std::string path;
  QIcon icon;
  bool virtualFolder = false;
  bool childrenRead = false;
  std::vector<std::string> pending;  // subfolders read but not yet in the model, in order
  std::size_t nextPending = 0;
  TNode* parent = nullptr;
  int row = 0;
  std::vector<std::unique_ptr<TNode>> children;
};

namespace {

QString ShownName(std::string_view raw) {
  return QString::fromStdString(kestrova::DisplayText(raw));
}

std::string Join(const std::string& folder, std::string_view name) {
  std::string path = folder;
  if (!path.ends_with('/')) path += '/';
  path += name;
  return path;
}

// The names of a folder's subfolders, in the order a person looks for them.
std::vector<std::string> Subfolders(const std::string& path) {
  std::vector<std::string> names;
  kestrova::TPosixDirSource source;
  if (const auto branch = source.Open(path)) {
    kestrova::TDirEntry entry;
    while (branch->NextEntry(entry)) {
      if (entry.isFolder && !entry.name.starts_with('.')) names.emplace_back(entry.name);
    }
  }
  QCollator collator;
  collator.setNumericMode(true);
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  // Sort keys once per name: comparing through the collator each time costs seconds on a folder
  // of a hundred thousand.
  std::vector<std::pair<QCollatorSortKey, std::string>> keyed;
  keyed.reserve(names.size());
  for (auto& name : names) keyed.emplace_back(collator.sortKey(ShownName(name)), std::move(name));
  std::sort(keyed.begin(), keyed.end(),
            [](const auto& a, const auto& b) { return a.first.compare(b.first) < 0; });
  names.clear();
  for (auto& [key, raw] : keyed) names.push_back(std::move(raw));
  return names;
}

std::string Encoded(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace

TShellFolderModel::TShellFolderModel(QObject* parent)
    : QAbstractItemModel(parent), invisibleRoot_(std::make_unique<TNode>()) {
  const QFileIconProvider icons;
  folderIcon_ = icons.icon(QAbstractFileIconProvider::Folder);
  const QString home = QDir::homePath();
  const QString desktopLocation = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
  const QString desktop = QDir(desktopLocation).exists() ? desktopLocation : home;

  invisibleRoot_->childrenRead = true;
  TNode& root = AddChild(*invisibleRoot_, QStringLiteral("桌面"), Encoded(desktop),
                         icons.icon(QAbstractFileIconProvider::Desktop), false);
  root.childrenRead = true;

  TNode& computer = AddChild(root, QStringLiteral("计算机"), "计算机",
                             icons.icon(QAbstractFileIconProvider::Computer), true);
  computer.childrenRead = true;
  AddChild(computer, QStringLiteral("/"), "/", icons.icon(QAbstractFileIconProvider::Drive), false);
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    // Real volumes only: the kernel's own file systems have no device node behind them.
    if (!volume.isValid() || !volume.isReady() || volume.isRoot() ||
        !volume.device().startsWith("/dev/") || !QFileInfo(volume.rootPath()).isDir()) {
      continue;
    }
    AddChild(computer, volume.rootPath(), Encoded(volume.rootPath()),
             icons.icon(QAbstractFileIconProvider::Drive), false);
  }

  AddChild(root, QDir(home).dirName(), Encoded(home), folderIcon_, false);
  for (const std::string& name : Subfolders(root.path)) {
    AddChild(root, ShownName(name), Join(root.path, name), folderIcon_, false);
  }
}

TShellFolderModel::~TShellFolderModel() = default;

TShellFolderModel::TNode& TShellFolderModel::AddChild(TNode& parent, QString name, std::string path,
                                                      QIcon icon, bool virtualFolder) {
  auto node = std::make_unique<TNode>();
  node->name = std::move(name);
  node->path = std::move(path);
  node->icon = std::move(icon);
  node->virtualFolder = virtualFolder;
  node->parent = &parent;
  node->row = static_cast<int>(parent.children.size());
  parent.children.push_back(std::move(node));
  return *parent.children.back();
}

TShellFolderModel::TNode* TShellFolderModel::NodeOf(const QModelIndex& index) const {
  return index.isValid() ? static_cast<TNode*>(index.internalPointer()) : invisibleRoot_.get();
}

std::string TShellFolderModel::Path(const QModelIndex& index) const {
  return index.isValid() ? NodeOf(index)->path : std::string();
}

bool TShellFolderModel::IsFileSystemFolder(const QModelIndex& index) const {
  return index.isValid() && !NodeOf(index)->virtualFolder;
}

QModelIndex TShellFolderModel::index(int row, int column, const QModelIndex& parent) const {
  const TNode* node = NodeOf(parent);
  if (column != 0 || row < 0 || row >= static_cast<int>(node->children.size())) return {};
  return createIndex(row, 0, node->children[static_cast<std::size_t>(row)].get());
}

QModelIndex TShellFolderModel::parent(const QModelIndex& child) const {
  if (!child.isValid()) return {};
  const TNode* parent = NodeOf(child)->parent;
  if (parent == invisibleRoot_.get()) return {};
  return createIndex(parent->row, 0, const_cast<TNode*>(parent));
}

int TShellFolderModel::rowCount(const QModelIndex& parent) const {
  return static_cast<int>(NodeOf(parent)->children.size());
}

int TShellFolderModel::columnCount(const QModelIndex&) const { return 1; }

QVariant TShellFolderModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const TNode* node = NodeOf(index);
  switch (role) {
    case Qt::DisplayRole:
      return node->name;
    case Qt::DecorationRole:
      return node->icon;
    case Qt::ToolTipRole:
      return node->virtualFolder ? node->name : ShownName(node->path);
    default:
      return {};
  }
}

// An unread folder may have subfolders: it shows an expander until reading it finds none.
bool TShellFolderModel::hasChildren(const QModelIndex& parent) const {
  const TNode* node = NodeOf(parent);
  return !node->childrenRead || !node->children.empty() || node->nextPending < node->pending.size();
}

// True until the folder's subfolders are all in the model, batches still pending included.
bool TShellFolderModel::canFetchMore(const QModelIndex& parent) const {
  const TNode* node = NodeOf(parent);
  return !node->childrenRead || node->nextPending < node->pending.size();
}

void TShellFolderModel::fetchMore(const QModelIndex& parent) {
  // The view calls this from its event handling, which no exception may cross.
  RunHandler([&] {
    TNode* node = NodeOf(parent);
    if (node->childrenRead) return AddPending(node);
    node->childrenRead = true;
    node->pending = Subfolders(node->path);
    if (node->pending.empty()) {
      // The expander goes: tell the view the folder has no rows after all.
      Q_EMIT dataChanged(parent, parent);
      return;
    }
    AddPending(node);
  });
}

// A folder of many thousand subfolders fills a batch at a time, the event loop running in between,
// so that the window never waits for the whole folder.
void TShellFolderModel::AddPending(TNode* node) {
  if (node->nextPending >= node->pending.size()) return;
  const std::size_t end = std::min(node->pending.size(), node->nextPending + kBatchRows);
  const int first = static_cast<int>(node->children.size());
  beginInsertRows(createIndex(node->row, 0, node), first,
                  first + static_cast<int>(end - node->nextPending) - 1);
  for (; node->nextPending < end; ++node->nextPending) {
    std::string& name = node->pending[node->nextPending];
    AddChild(*node, ShownName(name), Join(node->path, name), folderIcon_, false);
  }
  endInsertRows();
  if (node->nextPending < node->pending.size()) {
    QTimer::singleShot(0, this, [this, node] { RunHandler([&] { AddPending(node); }); });
  } else {
    node->pending = {};
    node->nextPending = 0;
  }
}
