// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
// The folder tree alone, offscreen, as a user drives it: its first selection, folders read while
// the window goes on, names that scroll sideways, and its menu's "打开" and "复制路径" with a
// launcher of the test's own on PATH.
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <condition_variable>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>

#include "errorDisplay.h"
#include "folderOrder.h"
#include "pathEncoding.h"
#include "shellFolderModel.h"
#include "shellTreeView.h"
#include "tempTree.h"

using kestrova::testing::TTempTree;

namespace {

// A folder whose reading waits until the test lets it go, as on a slow or hung mount. It ignores
// the request to stop, as a read stuck in the kernel would.
struct TGate {
  std::mutex mutex;
  std::condition_variable opened;
  bool open = false;

  void Wait() {
    std::unique_lock lock(mutex);
    opened.wait(lock, [&] { return open; });
  }
  void Open() {
    const std::lock_guard lock(mutex);
    open = true;
    opened.notify_all();
  }
};

TReadSubfolders GatedAt(const std::string& slowFolder, std::shared_ptr<TGate> gate) {
  return [slowFolder, gate](const std::string& folder, std::stop_token stop) {
    if (folder == slowFolder) gate->Wait();
    return ReadSortedSubfolders(folder, stop);
  };
}

QStringList Names(const QAbstractItemModel& model, const QModelIndex& parent) {
  QStringList names;
  for (int row = 0; row < model.rowCount(parent); ++row) {
    names << model.index(row, 0, parent).data().toString();
  }
  return names;
}

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// Picks `item` from the context menu that the tree is about to open, with the keys.
void ChooseFromMenu(const QString& item) {
  QTimer::singleShot(20, qApp, [item] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (menu == nullptr) return ChooseFromMenu(item);
    for (const QAction* action : menu->actions()) {
      QTest::keyClick(menu, Qt::Key_Down);
      if (action->text() == item) break;
    }
    QTest::keyClick(menu, Qt::Key_Return);
  });
}

class ShellTreeViewTest : public QObject {
  Q_OBJECT

 public:
  explicit ShellTreeViewTest(const TTempTree& home) : home_(home) {}

 private Q_SLOTS:
  void init();
  void cleanup();
  void sortedAsAPersonLooksForThem_data();
  void sortedAsAPersonLooksForThem();
  void rootIsSelectedOnceFilledWithTheDesktopsFolders();
  void aFolderBeingReadSaysSoAndTheWindowGoesOn();
  void anEmptyFolderLosesItsExpander();
  void aHungFolderDoesNotHoldUpTheTreesEnd();
  void deepNamesScrollSidewaysInsteadOfBeingCut();
  void copyPathGivesTheExactPath_data();
  void copyPathGivesTheExactPath();
  void openGivesTheLauncherTheExactPath();
  void aFailingOpenIsShown_data();
  void aFailingOpenIsShown();

 private:
  std::string Desktop() const { return home_.Path("Desktop"); }
  QModelIndex Expanded(const QStringList& names);
  // The desktop's folder whose reading waits at the gate, once the desktop has been read.
  QModelIndex SlowFolder();
  void SelectAndOpenMenu(const QStringList& names, const QString& item);

  const TTempTree& home_;
  std::shared_ptr<TGate> gate_;
  std::unique_ptr<TShellTreeView> tree_;
  QStringList errors_;
};

void ShellTreeViewTest::init() {
  gate_ = std::make_shared<TGate>();
  tree_ = std::make_unique<TShellTreeView>(GatedAt(Desktop() + "/slow", gate_), nullptr);
  tree_->resize(160, 400);
  tree_->show();
  QVERIFY(QTest::qWaitForWindowExposed(tree_.get()));
  errors_.clear();
  InstallErrorDisplay([this](const QString& message) { errors_ << message; });
}

void ShellTreeViewTest::cleanup() {
  tree_.reset();
  gate_->Open();
  InstallErrorDisplay(nullptr);
}

// Expands the folders along `names` from the root, as the arrow keys do, and waits for each one's
// subfolders.
QModelIndex ShellTreeViewTest::SlowFolder() {
  TShellFolderModel& model = tree_->FolderModel();
  const QModelIndex desktop = model.index(0, 0);
  if (!QTest::qWaitFor([&] { return !model.IsReading(desktop); }, 20000)) return {};
  const QModelIndexList found = model.match(model.index(0, 0, desktop), Qt::DisplayRole,
                                            QStringLiteral("slow"), 1, Qt::MatchExactly);
  return found.isEmpty() ? QModelIndex() : found.front();
}

QModelIndex ShellTreeViewTest::Expanded(const QStringList& names) {
  TShellFolderModel& model = tree_->FolderModel();
  QModelIndex at;
  const auto read = [&] { return QTest::qWaitFor([&] { return !model.IsReading(at); }, 20000); };
  for (const QString& name : names) {
    if (!read()) return {};
    const QModelIndexList found =
        model.match(model.index(0, 0, at), Qt::DisplayRole, name, 1, Qt::MatchExactly);
    if (found.isEmpty()) return {};
    at = found.front();
    tree_->setCurrentIndex(at);
    QTest::keyClick(tree_.get(), Qt::Key_Right);
  }
  return read() ? at : QModelIndex();
}

void ShellTreeViewTest::sortedAsAPersonLooksForThem_data() {
  QTest::addColumn<QStringList>("names");
  QTest::addColumn<QStringList>("sorted");
  QTest::newRow("numbers by value")
      << QStringList{"v10", "v9", "v100", "v1"} << QStringList{"v1", "v9", "v10", "v100"};
  QTest::newRow("case aside") << QStringList{"beta", "Alpha", "alpha2", "Beta1"}
                              << QStringList{"Alpha", "alpha2", "beta", "Beta1"};
  QTest::newRow("same but for case, by bytes")
      << QStringList{"readme", "README", "ReadMe"} << QStringList{"README", "ReadMe", "readme"};
}

void ShellTreeViewTest::sortedAsAPersonLooksForThem() {
  QFETCH(QStringList, names);
  QFETCH(QStringList, sorted);
  kestrova::tree::TFolderRows rows;
  for (const QString& name : names) rows.push_back({"/" + name.toStdString(), name.toStdString()});
  kestrova::tree::SortForPeople(rows);
  QStringList result;
  for (const auto& row : rows) result << QString::fromStdString(row.shown);
  QCOMPARE(result, sorted);
}

void ShellTreeViewTest::rootIsSelectedOnceFilledWithTheDesktopsFolders() {
  TShellFolderModel& model = tree_->FolderModel();
  const QModelIndex root = model.index(0, 0);
  QTRY_COMPARE(tree_->currentIndex(), root);
  QCOMPARE(tree_->SelectedPath(), Desktop());
  QVERIFY(tree_->isExpanded(root));
  QTRY_VERIFY(!model.IsReading(root));
  const QString home = QString::fromStdString(home_.Root()).section('/', -1);
  // Hidden folders and files are left out; a name that is not UTF-8 is shown escaped.
  QCOMPARE(Names(model, root), (QStringList{"计算机", home, "caf\\xE9", "deep", "empty", "folder2",
                                            "Folder10", "slow"}));
  QCOMPARE(tree_->indentation(), 19);
  QVERIFY(!tree_->rootIsDecorated());
}

void ShellTreeViewTest::aFolderBeingReadSaysSoAndTheWindowGoesOn() {
  TShellFolderModel& model = tree_->FolderModel();
  const QModelIndex slow = SlowFolder();
  QVERIFY(slow.isValid());
  tree_->setCurrentIndex(slow);
  QTest::keyClick(tree_.get(), Qt::Key_Right);
  QVERIFY(tree_->isExpanded(slow));
  QVERIFY(model.IsReading(slow));
  QCOMPARE(Names(model, slow), QStringList{"正在读取..."});
  const QModelIndex reading = model.index(0, 0, slow);
  QCOMPARE(model.flags(reading), Qt::NoItemFlags);
  QVERIFY(!model.hasChildren(reading));
  QVERIFY(!model.canFetchMore(reading));
  QCOMPARE(tree_->SelectedPath(), Desktop() + "/slow");

  // The window goes on while the folder is read: timers fire, keys move the selection, and the
  // row that stands for the reading is never chosen.
  QTest::qWait(100);
  QTest::keyClick(tree_.get(), Qt::Key_Down);
  QCOMPARE(tree_->currentIndex(), slow);
  QTest::keyClick(tree_.get(), Qt::Key_Up);
  QCOMPARE(tree_->currentIndex(), slow.siblingAtRow(slow.row() - 1));
  QTest::keyClick(tree_.get(), Qt::Key_Down);
  QCOMPARE(tree_->currentIndex(), slow);
  QVERIFY(model.IsReading(slow));

  gate_->Open();
  QTRY_VERIFY(!model.IsReading(slow));
  QCOMPARE(Names(model, slow), (QStringList{"a", "b2", "b10"}));
  QCOMPARE(model.Path(model.index(2, 0, slow)), Desktop() + "/slow/b10");
}

void ShellTreeViewTest::anEmptyFolderLosesItsExpander() {
  const QModelIndex empty = Expanded({"桌面", "empty"});
  QVERIFY(empty.isValid());
  QCOMPARE(tree_->FolderModel().rowCount(empty), 0);
  QVERIFY(!tree_->FolderModel().hasChildren(empty));
}

void ShellTreeViewTest::aHungFolderDoesNotHoldUpTheTreesEnd() {
  TShellFolderModel& model = tree_->FolderModel();
  const QModelIndex slow = SlowFolder();
  QVERIFY(slow.isValid());
  tree_->expand(slow);
  QVERIFY(model.IsReading(slow));
  tree_.reset();  // returns though the reading is stuck; cleanup() lets it go afterwards
  QVERIFY(errors_.isEmpty());
}

void ShellTreeViewTest::deepNamesScrollSidewaysInsteadOfBeingCut() {
  QStringList path{"桌面", "deep"};
  for (int level = 1; level <= 8; ++level) path << QStringLiteral("第%1层的文件夹").arg(level);
  const QModelIndex deepest = Expanded(path);
  QVERIFY(deepest.isValid());
  tree_->setCurrentIndex(deepest);

  QScrollBar* sideways = tree_->horizontalScrollBar();
  QVERIFY(sideways->maximum() > 0);
  // The column holds the whole name, so nothing is cut to "…", and the selected folder's name is
  // in sight, all of it.
  const QRect item = tree_->visualRect(deepest);
  const int nameEnd = item.left() + tree_->sizeHintForIndex(deepest).width();
  QVERIFY2(tree_->header()->sectionSize(0) - tree_->header()->offset() >= nameEnd,
           qPrintable(QStringLiteral("%1 < %2").arg(tree_->header()->sectionSize(0)).arg(nameEnd)));
  QVERIFY(item.left() - tree_->indentation() >= 0);
  QVERIFY(nameEnd <= tree_->viewport()->width());

  // Back at the root, the view shows the left edge again; with the deep folders closed, the
  // column still spans the view, so a selection spans its row.
  tree_->setCurrentIndex(tree_->FolderModel().index(0, 0));
  QCOMPARE(sideways->value(), 0);
  const int deepWidth = tree_->header()->sectionSize(0);
  tree_->collapse(Expanded({"桌面", "deep"}));
  QTRY_VERIFY(tree_->header()->sectionSize(0) < deepWidth);
  QVERIFY(tree_->header()->sectionSize(0) >= tree_->viewport()->width());
}

void ShellTreeViewTest::copyPathGivesTheExactPath_data() {
  QTest::addColumn<QString>("shown");
  QTest::addColumn<QByteArray>("name");
  QTest::newRow("text") << "Folder10" << QByteArray("Folder10");
  QTest::newRow("not UTF-8") << "caf\\xE9" << QByteArray("caf\xE9");
}

void ShellTreeViewTest::copyPathGivesTheExactPath() {
  QFETCH(QString, shown);
  QFETCH(QByteArray, name);
  SelectAndOpenMenu({"桌面", shown}, QStringLiteral("复制路径"));
  const std::string path = Desktop() + "/" + name.toStdString();
  QTRY_VERIFY(QApplication::clipboard()->mimeData()->hasFormat("text/uri-list"));
  const QMimeData* copied = QApplication::clipboard()->mimeData();
  QCOMPARE(copied->text().toStdString(), kestrova::tree::PastableText(path));
  QCOMPARE(copied->data("text/uri-list").toStdString(), kestrova::tree::FileUrl(path) + "\r\n");
  QVERIFY(errors_.isEmpty());
}

void ShellTreeViewTest::openGivesTheLauncherTheExactPath() {
  const std::string opened = home_.Path("opened");
  qputenv("LAUNCHED", QByteArray::fromStdString(opened));
  SelectAndOpenMenu({"桌面", "caf\\xE9"}, QStringLiteral("打开"));
  QTRY_COMPARE(ReadFile(opened), "file://" + Desktop() + "/caf%E9");
  QTest::qWait(100);
  QVERIFY2(errors_.isEmpty(), qPrintable(errors_.join('\n')));
  ::unlink(opened.c_str());
}

void ShellTreeViewTest::aFailingOpenIsShown_data() {
  QTest::addColumn<QByteArray>("path");
  QTest::addColumn<QStringList>("said");
  QTest::newRow("launcher fails") << QByteArray::fromStdString(home_.Path("bin"))
                                  << QStringList{"xdg-open 以退出码 4 结束",
                                                 "no method available for opening"};
  QTest::newRow("no launcher") << QByteArray::fromStdString(home_.Path("nobin"))
                               << QStringList{"无法启动 xdg-open"};
}

void ShellTreeViewTest::aFailingOpenIsShown() {
  QFETCH(QByteArray, path);
  QFETCH(QStringList, said);
  const QByteArray oldPath = qgetenv("PATH");
  qputenv("PATH", path);
  qputenv("LAUNCH_FAILS", "1");
  SelectAndOpenMenu({"桌面", "Folder10"}, QStringLiteral("打开"));
  QTRY_COMPARE(errors_.size(), 1);
  qputenv("PATH", oldPath);
  qunsetenv("LAUNCH_FAILS");
  const QString& message = errors_.front();
  QVERIFY2(message.startsWith(
               QStringLiteral("无法打开“%1/Folder10”：").arg(QString::fromStdString(Desktop()))),
           qPrintable(message));
  for (const QString& part : said) QVERIFY2(message.contains(part), qPrintable(message));
}

void ShellTreeViewTest::SelectAndOpenMenu(const QStringList& names, const QString& item) {
  const QModelIndex folder = Expanded(names);
  QVERIFY(folder.isValid());
  tree_->setCurrentIndex(folder);
  ChooseFromMenu(item);
  // The menu key: the menu opens at the selected folder.
  const QPoint at = tree_->visualRect(folder).center();
  QContextMenuEvent event(QContextMenuEvent::Keyboard, at, tree_->viewport()->mapToGlobal(at));
  QApplication::sendEvent(tree_->viewport(), &event);
}

}  // namespace

int main(int argc, char** argv) {
  // A home of its own, whose desktop holds the folders made here, and a launcher that writes down
  // what it was given, or fails as xdg-open does when it finds no way to open.
  const TTempTree home;
  ::setenv("HOME", home.Root().c_str(), 1);
  ::unsetenv("XDG_CONFIG_HOME");
  for (const char* folder : {"Desktop", "Desktop/Folder10", "Desktop/folder2", "Desktop/.hidden",
                             "Desktop/empty", "Desktop/caf\xE9", "Desktop/slow", "Desktop/slow/b10",
                             "Desktop/slow/a", "Desktop/slow/b2", "Desktop/deep", "bin", "nobin"}) {
    home.Folder(folder);
  }
  home.File("Desktop/file");
  std::string deep = "Desktop/deep";
  for (int level = 1; level <= 8; ++level) {
    deep += "/第" + std::to_string(level) + "层的文件夹";
    home.Folder(deep);
  }
  {
    std::ofstream launcher(home.Path("bin/xdg-open"));
    launcher << "#!/bin/sh\n"
                "if [ -n \"$LAUNCH_FAILS\" ]; then\n"
                "  echo \"xdg-open: no method available for opening '$1'\" >&2\n"
                "  exit 4\n"
                "fi\n"
                "printf '%s' \"$1\" > \"$LAUNCHED\"\n";
  }
  ::chmod(home.Path("bin/xdg-open").c_str(), 0755);
  ::setenv("PATH", (home.Path("bin") + ":" + std::getenv("PATH")).c_str(), 1);

  QApplication application(argc, argv);
  ShellTreeViewTest test(home);
  return QTest::qExec(&test, argc, argv);
}

#include "shellTreeViewTest.moc"
