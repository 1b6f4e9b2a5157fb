// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#include "shellFolderModel.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileIconProvider>
#include <QStandardPaths>
#include <QTimer>
#include <algorithm>
#include <cstdlib>

#include "displayText.h"
#include "errorDisplay.h"
#include "folderOrder.h"
#include "subfolders.h"
#include "volumes.h"

using kestrova::tree::TFolderRows;

struct TShellFolderModel::TNode {
  enum class TState { kUnread, kReading, kArriving, kRead };
  QString name;
  std::string path;
  QIcon icon;
  bool virtualFolder = false;
  bool placeholder = false;  // the row that stands for a reading
  TState state = TState::kUnread;
  TFolderRows arrived;  // subfolders read but not yet in the model, in order
  std::size_t nextArrived = 0;
  TNode* parent = nullptr;
  int row = 0;
  std::vector<std::unique_ptr<TNode>> children;
};

namespace {

const QString kReadingText = QStringLiteral("正在读取...");

// The rows of a big folder go in a batch at a time, the event loop running in between, so that
// the window never waits for the whole folder; a batch ends after this long.
constexpr qint64 kBatchNanoseconds = 4'000'000;

QString Shown(const std::string& utf8) { return QString::fromStdString(utf8); }

std::string Encoded(const QString& path) { return QFile::encodeName(path).toStdString(); }

// The home folder as the environment gives it, byte for byte: a name that is not UTF-8 would not
// survive a round trip through QString.
std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') return home;
  return Encoded(QDir::homePath());
}

std::string LastName(std::string path) {
  while (path.size() > 1 && path.ends_with('/')) path.pop_back();
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos || path.size() == 1 ? path : path.substr(slash + 1);
}

}  // namespace

TFolderRows ReadSortedSubfolders(const std::string& folder, std::stop_token stop) {
  TFolderRows rows = kestrova::tree::ReadSubfolders(folder, stop);
  if (!stop.stop_requested()) kestrova::tree::SortForPeople(rows);
  return rows;
}

TShellFolderModel::TShellFolderModel(QObject* parent, TReadSubfolders read)
    : QAbstractItemModel(parent),
      invisibleRoot_(std::make_unique<TNode>()),
      read_(std::move(read)),
      reader_(std::make_unique<kestrova::tree::TFolderReader>([this] {
        // On a reading's thread: only the news crosses, as a queued call.
        QMetaObject::invokeMethod(this, &TShellFolderModel::TakeReadings, Qt::QueuedConnection);
      })) {
  const QFileIconProvider icons;
  folderIcon_ = icons.icon(QAbstractFileIconProvider::Folder);
  const std::string home = HomeFolder();
  const QString desktopLocation = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
  const std::string desktop = QDir(desktopLocation).exists() ? Encoded(desktopLocation) : home;

  invisibleRoot_->state = TNode::TState::kRead;
  TNode& root = AddChild(*invisibleRoot_, QStringLiteral("桌面"), desktop,
                         icons.icon(QAbstractFileIconProvider::Desktop), false);

  TNode& computer = AddChild(root, QStringLiteral("计算机"), "计算机",
                             icons.icon(QAbstractFileIconProvider::Computer), true);
  computer.state = TNode::TState::kRead;
  const QIcon drive = icons.icon(QAbstractFileIconProvider::Drive);
  AddChild(computer, QStringLiteral("/"), "/", drive, false);
  for (kestrova::tree::TFolderRow& volume : kestrova::tree::MountedVolumes()) {
    AddChild(computer, Shown(volume.shown), std::move(volume.path), drive, false);
  }

  AddChild(root, Shown(kestrova::DisplayText(LastName(home))), home, folderIcon_, false);
  // The desktop's own subfolders follow once read; a failure to start the reading leaves the root
  // unread, and expanding it tries again.
  RunHandler([&] { StartReading(root); });
}

TShellFolderModel::~TShellFolderModel() { reader_.reset(); }

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

QModelIndex TShellFolderModel::IndexOf(TNode& node) const {
  return &node == invisibleRoot_.get() ? QModelIndex() : createIndex(node.row, 0, &node);
}

std::string TShellFolderModel::Path(const QModelIndex& index) const {
  return index.isValid() ? NodeOf(index)->path : std::string();
}

bool TShellFolderModel::IsFileSystemFolder(const QModelIndex& index) const {
  return index.isValid() && !NodeOf(index)->virtualFolder;
}

bool TShellFolderModel::IsReading(const QModelIndex& index) const {
  const TNode::TState state = NodeOf(index)->state;
  return state == TNode::TState::kReading || state == TNode::TState::kArriving;
}

QModelIndex TShellFolderModel::index(int row, int column, const QModelIndex& parent) const {
  const TNode* node = NodeOf(parent);
  if (column != 0 || row < 0 || row >= static_cast<int>(node->children.size())) return {};
  return createIndex(row, 0, node->children[static_cast<std::size_t>(row)].get());
}

QModelIndex TShellFolderModel::parent(const QModelIndex& child) const {
  if (!child.isValid()) return {};
  return IndexOf(*NodeOf(child)->parent);
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
      if (node->placeholder) return {};
      return node->virtualFolder ? node->name : Shown(kestrova::DisplayText(node->path));
    default:
      return {};
  }
}

// The row that stands for a reading can be neither chosen nor reached with the keys.
Qt::ItemFlags TShellFolderModel::flags(const QModelIndex& index) const {
  if (!index.isValid() || NodeOf(index)->placeholder) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

// An unread folder may have subfolders: it shows an expander until reading it finds none.
bool TShellFolderModel::hasChildren(const QModelIndex& parent) const {
  const TNode* node = NodeOf(parent);
  return node->state == TNode::TState::kUnread || !node->children.empty();
}

bool TShellFolderModel::canFetchMore(const QModelIndex& parent) const {
  return NodeOf(parent)->state == TNode::TState::kUnread;
}

void TShellFolderModel::fetchMore(const QModelIndex& parent) {
  // The view calls this from its event handling, which no exception may cross.
  RunHandler([&] {
    TNode* node = NodeOf(parent);
    if (node->state == TNode::TState::kUnread) StartReading(*node);
  });
}

void TShellFolderModel::StartReading(TNode& node) {
  const auto ticket = reader_->Start(
      [read = read_, folder = node.path](std::stop_token stop) { return read(folder, stop); });
  readings_.emplace(ticket, &node);
  node.state = TNode::TState::kReading;
  const int row = static_cast<int>(node.children.size());
  beginInsertRows(IndexOf(node), row, row);
  TNode& placeholder = AddChild(node, kReadingText, std::string(), QIcon(), true);
  placeholder.placeholder = true;
  placeholder.state = TNode::TState::kRead;  // nothing to read beneath it, no expander
  endInsertRows();
}

void TShellFolderModel::TakeReadings() {
  RunHandler([&] {
    for (auto& [ticket, rows] : reader_->TakeFinished()) {
      const auto reading = readings_.find(ticket);
      if (reading == readings_.end()) continue;
      TNode& node = *reading->second;
      readings_.erase(reading);
      FinishReading(node, std::move(rows));
    }
  });
}

void TShellFolderModel::FinishReading(TNode& node, TFolderRows rows) {
  const QModelIndex index = IndexOf(node);
  const int last = static_cast<int>(node.children.size()) - 1;
  beginRemoveRows(index, last, last);
  node.children.pop_back();
  endRemoveRows();
  if (rows.empty()) {
    node.state = TNode::TState::kRead;
    // The expander goes: tell the view the folder has no rows after all.
    if (node.children.empty()) Q_EMIT dataChanged(index, index);
    return;
  }
  node.arrived = std::move(rows);
  node.nextArrived = 0;
  node.state = TNode::TState::kArriving;
  AddArrived(node);
}

void TShellFolderModel::AddArrived(TNode& node) {
  QElapsedTimer batch;
  batch.start();
  // Rows go in by the hundred, so that the views hear of few insertions; the batch ends when its
  // time is up.
  constexpr std::size_t kStep = 256;
  while (node.nextArrived < node.arrived.size() && batch.nsecsElapsed() < kBatchNanoseconds) {
    const std::size_t end = std::min(node.arrived.size(), node.nextArrived + kStep);
    const int first = static_cast<int>(node.children.size());
    beginInsertRows(IndexOf(node), first, first + static_cast<int>(end - node.nextArrived) - 1);
    for (; node.nextArrived < end; ++node.nextArrived) {
      kestrova::tree::TFolderRow& row = node.arrived[node.nextArrived];
      AddChild(node, Shown(row.shown), std::move(row.path), folderIcon_, false);
    }
    endInsertRows();
  }
  if (node.nextArrived < node.arrived.size()) {
    QTimer::singleShot(0, this, [this, &node] { RunHandler([&] { AddArrived(node); }); });
    return;
  }
  node.arrived = {};
  node.nextArrived = 0;
  node.state = TNode::TState::kRead;
}
