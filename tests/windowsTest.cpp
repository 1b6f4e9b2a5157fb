// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
// The windows as a user drives them, offscreen: the folder tree and the path field, the Output
// command from the button and the menu, the error display, the About dialog, the splitter.
#include <QAbstractButton>
#include <QAccessible>
#include <QClipboard>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSplitter>
#include <QSplitterHandle>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "about.h"
#include "errorDisplay.h"
#include "kestrovaApplication.h"
#include "outputDirTree.h"
#include "outputPane.h"
#include "recordingSink.h"
#include "selectDir.h"
#include "shellFolderModel.h"
#include "shellTreeView.h"
#include "statusBar.h"
#include "tempTree.h"

using kestrova::testing::TTempTree;

namespace {

template <typename T>
T* Child(const char* name) {
  T* child = FormSelectDir->findChild<T*>(QString::fromLatin1(name));
  if (child == nullptr) qFatal("no child %s", name);
  return child;
}

// Runs `act` on the modal widget once one is up; `act` must close it.
void WhenModal(std::function<void(QWidget*)> act) {
  QTimer::singleShot(20, qApp, [act] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      act(modal);
    } else {
      WhenModal(act);
    }
  });
}

class WindowsTest : public QObject {
  Q_OBJECT

 public:
  explicit WindowsTest(const TTempTree& home) : home_(home) {}

 private Q_SLOTS:
  void initTestCase();
  void selections_data();
  void selections();
  void outputCommand_data();
  void outputCommand();
  void failingRunShowsTheErrorAndLeavesTheWindowUsable();
  void namesAreTextInThePaneAndInTheCopy();
  void aboutDialogIsOneModalInstance();
  void windowHasTheDesignedLayout();
  void splitterShrinksTheTreeToOnePixel();
  void errorText_data();
  void errorText();
  void keyboardReachesTheCommandAndTheMenus_data();
  void keyboardReachesTheCommandAndTheMenus();
  void qtTextsAreChinese();
  void windowIconIsTheInstalledSet();

 private:
  QModelIndex Find(const QStringList& names) const;
  void Select(const QStringList& names) const;
  std::string Desktop() const { return home_.Path("Desktop"); }

  const TTempTree& home_;
};

QModelIndex WindowsTest::Find(const QStringList& names) const {
  TShellFolderModel& model = Child<TShellTreeView>("ShellTreeView")->FolderModel();
  QModelIndex at;
  for (const QString& name : names) {
    if (model.canFetchMore(at)) model.fetchMore(at);
    // Subfolders are read off the window's thread: wait for them to be in.
    if (!QTest::qWaitFor([&] { return !model.IsReading(at); })) return {};
    const QModelIndexList found =
        model.match(model.index(0, 0, at), Qt::DisplayRole, name, 1, Qt::MatchExactly);
    if (found.isEmpty()) return {};
    at = found.front();
  }
  return at;
}

void WindowsTest::Select(const QStringList& names) const {
  const QModelIndex index = Find(names);
  QVERIFY2(index.isValid(), qPrintable(names.join('/')));
  Child<TShellTreeView>("ShellTreeView")->setCurrentIndex(index);
}

void WindowsTest::initTestCase() {
  FormSelectDir->show();
  QVERIFY(QTest::qWaitForWindowExposed(FormSelectDir));
  // Once filled, the tree selects its root, the desktop folder, as if the user had.
  QTRY_COMPARE(Child<TPathField>("EditSelectedDir")->Path(), Desktop());
  QVERIFY(Child<QAction>("ActionOutPut")->isEnabled());
  QCOMPARE(Child<QLineEdit>("EditSelectedDir")->text().toStdString(), Desktop());
}

void WindowsTest::selections_data() {
  QTest::addColumn<QStringList>("node");
  QTest::addColumn<bool>("deleteFirst");
  QTest::addColumn<QString>("field");  // empty: the field keeps the desktop's path
  QTest::addColumn<bool>("enabled");
  QTest::newRow("folder") << QStringList{"桌面", "sample", "docs"} << false
                          << QString::fromStdString(Desktop() + "/sample/docs") << true;
  QTest::newRow("root") << QStringList{"桌面", "计算机", "/"} << false << "/" << true;
  QTest::newRow("virtual") << QStringList{"桌面", "计算机"} << false << QString() << false;
  QTest::newRow("deleted") << QStringList{"桌面", "doomed"} << true << QString() << false;
}

void WindowsTest::selections() {
  QFETCH(QStringList, node);
  QFETCH(bool, deleteFirst);
  QFETCH(QString, field);
  QFETCH(bool, enabled);
  Select({"桌面"});
  const QModelIndex target = Find(node);
  QVERIFY(target.isValid());
  if (deleteFirst) QVERIFY(QDir().rmdir(QString::fromStdString(Desktop() + "/doomed")));

  Child<TShellTreeView>("ShellTreeView")->setCurrentIndex(target);

  const QString expected = field.isEmpty() ? QString::fromStdString(Desktop()) : field;
  QCOMPARE(Child<QLineEdit>("EditSelectedDir")->text(), expected);
  QCOMPARE(Child<QAction>("ActionOutPut")->isEnabled(), enabled);
  // The button and the menu item follow the one action.
  QCOMPARE(Child<QPushButton>("ButtonOutput")->isEnabled(), enabled);
  QCOMPARE(Child<QAction>("N3")->isEnabled(), enabled);
}

void WindowsTest::outputCommand_data() {
  QTest::addColumn<bool>("fromMenu");
  QTest::newRow("button") << false;
  QTest::newRow("menu") << true;
}

void WindowsTest::outputCommand() {
  QFETCH(bool, fromMenu);
  Select({"桌面", "sample"});
  const std::string path = Desktop() + "/sample";
  kestrova::TRecordingSink expected;
  TStatusBar ignored;
  kestrova::RunOutputCommand(path, expected, ignored);
  auto* pane = Child<TOutputPane>("RichEditOutput");

  for (int run = 0; run < 2; ++run) {  // the second run clears the pane first
    if (fromMenu) {
      Child<QAction>("N3")->trigger();
    } else {
      QTest::mouseClick(Child<QPushButton>("ButtonOutput"), Qt::LeftButton);
    }
    QCOMPARE(pane->LineCount(), expected.Lines().size());
    for (std::size_t i = 0; i < expected.Lines().size(); ++i) {
      QVERIFY2(pane->Line(i) == expected.Lines()[i], expected.Lines()[i].text.c_str());
    }
    QCOMPARE(Child<TStatusBar>("StatusBar")->StatusText(), QStringLiteral("输出完成！"));
  }
}

void WindowsTest::failingRunShowsTheErrorAndLeavesTheWindowUsable() {
  Select({"桌面", "sample"});
  auto* pane = Child<TOutputPane>("RichEditOutput");
  pane->SetLineCapacity(3);
  QString caption, text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons;
  WhenModal([&](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    QVERIFY(box);
    caption = box->windowTitle();
    text = box->text();
    icon = box->icon();
    buttons = box->standardButtons();
    box->button(QMessageBox::Ok)->click();
  });

  Child<QAction>("ActionOutPut")->trigger();

  QCOMPARE(caption, QStringLiteral("Kestrova"));
  QCOMPARE(text, QStringLiteral("RichEdit line insertion error."));
  QCOMPARE(icon, QMessageBox::Critical);
  QCOMPARE(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
  QCOMPARE(pane->LineCount(), std::size_t{3});
  QCOMPARE(pane->Line(0).text, Desktop() + "/sample");
  QCOMPARE(Child<TStatusBar>("StatusBar")->StatusText(), QStringLiteral("正在输出..."));

  pane->SetLineCapacity(TOutputPane::kLineCapacity);
  QVERIFY(Child<QAction>("ActionOutPut")->isEnabled());
  QTest::mouseClick(Child<QPushButton>("ButtonOutput"), Qt::LeftButton);
  QVERIFY(pane->LineCount() > 3);
  QCOMPARE(Child<TStatusBar>("StatusBar")->StatusText(), QStringLiteral("输出完成！"));
}

void WindowsTest::namesAreTextInThePaneAndInTheCopy() {
  Select({"桌面", "markup"});
  auto* pane = Child<TOutputPane>("RichEditOutput");
  Child<QAction>("ActionOutPut")->trigger();
  QCOMPARE(pane->LineCount(), std::size_t{3});
  QCOMPARE(pane->Line(1).text, std::string("├(1)<b>x<i>&amp;"));

  pane->setFocus();
  QTest::keyClick(pane, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(pane, Qt::Key_C, Qt::ControlModifier);
  const QMimeData* copied = QApplication::clipboard()->mimeData();
  QVERIFY(copied);
  QCOMPARE(copied->text(), QString::fromStdString(Desktop() + "/markup\n├(1)<b>x<i>&amp;\n└█"));
  const QString html = copied->html();
  QVERIFY2(html.contains("<span style=\"color:#ff0000\">├(1)&lt;b&gt;x&lt;i&gt;&amp;amp;</span>"),
           qPrintable(html));
  QVERIFY(html.contains("<span style=\"color:#0000ff;font-weight:bold\">"));
  QVERIFY(!html.contains("<b>"));

  // What was copied stays on the clipboard when the pane moves on to another listing.
  Select({"桌面", "sample"});
  Child<QAction>("ActionOutPut")->trigger();
  QCOMPARE(QApplication::clipboard()->text(),
           QString::fromStdString(Desktop() + "/markup\n├(1)<b>x<i>&amp;\n└█"));
}

void WindowsTest::aboutDialogIsOneModalInstance() {
  const TFormAbout* const first = FormAbout;
  QStringList seen;
  for (int showing = 0; showing < 2; ++showing) {
    WhenModal([&, showing](QWidget* modal) {
      QCOMPARE(modal, FormAbout);
      QVERIFY(FormAbout->isModal());
      seen << modal->windowTitle() << modal->findChild<QLabel*>("Label2")->text();
      // The first showing ends with "确定", the second with the close box.
      if (showing == 0) {
        QTest::mouseClick(modal->findChild<QPushButton*>("ButtonOk"), Qt::LeftButton);
      } else {
        modal->close();
      }
    });
    Child<QAction>("N4")->trigger();
    QVERIFY(!FormAbout->isVisible());
    QCOMPARE(FormAbout, first);
  }
  QCOMPARE(seen, (QStringList{"关于...", "版        本：1.0", "关于...", "版        本：1.0"}));
  QCOMPARE(FormAbout->minimumSize(), QSize(339, 240));
  QCOMPARE(FormAbout->maximumSize(), QSize(339, 240));
  QVERIFY(
      !(FormAbout->windowFlags() & (Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint)));
  QVERIFY(FormSelectDir->isVisible());
}

void WindowsTest::windowHasTheDesignedLayout() {
  QCOMPARE(FormSelectDir->windowTitle(), QStringLiteral("Kestrova"));
  QVERIFY(FormSelectDir->windowFlags() & Qt::WindowMinimizeButtonHint);
  QVERIFY(!(FormSelectDir->windowFlags() & Qt::WindowMaximizeButtonHint));
  QCOMPARE(FormSelectDir->minimumSize(), FormSelectDir->maximumSize());
  auto* status = Child<TStatusBar>("StatusBar");
  const QWidget* panel = Child<QWidget>("Panel1");
  const QWidget* client = Child<QWidget>("ClientArea");
  QCOMPARE(client->width(), 762);
  QCOMPARE(client->height() + status->height(), 570);
  // The panel ends where the status bar begins, so nothing of the tree or the pane is hidden.
  QCOMPARE(panel->mapTo(FormSelectDir, QPoint(0, panel->height())).y(), status->y());
  // The path field is announced by its label.
  QCOMPARE(Child<QLabel>("Label1")->buddy(), Child<QWidget>("EditSelectedDir"));
  QCOMPARE(QAccessible::queryAccessibleInterface(Child<QWidget>("EditSelectedDir"))
               ->text(QAccessible::Name),
           QStringLiteral("选择的目录："));
  QCOMPARE(QAccessible::queryAccessibleInterface(Child<QWidget>("ShellTreeView"))
               ->text(QAccessible::Name),
           QStringLiteral("目录树"));
  // The pane starts in its designed font, unzoomed.
  QCOMPARE(Child<TOutputPane>("RichEditOutput")->TextFont(),
           Child<TOutputPane>("RichEditOutput")->font());
  QCOMPARE(Child<TOutputPane>("RichEditOutput")->font().pointSize(), 8);
  for (const char* menu : {"N1", "N2"}) {
    for (const QAction* item : Child<QMenu>(menu)->actions()) {
      QVERIFY(item->shortcut().isEmpty());
      QVERIFY(!item->text().contains('&'));
    }
  }
}

void WindowsTest::splitterShrinksTheTreeToOnePixel() {
  auto* splitter = Child<QSplitter>("Splitter1");
  QSplitterHandle* handle = splitter->handle(1);
  const QPoint grip(handle->width() / 2, handle->height() / 2);
  const auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
    QMouseEvent event(type, at, handle->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(handle, &event);
  };
  send(QEvent::MouseButtonPress, grip, Qt::LeftButton);
  send(QEvent::MouseMove, grip - QPoint(400, 0), Qt::LeftButton);
  send(QEvent::MouseButtonRelease, grip - QPoint(400, 0), Qt::NoButton);

  QCOMPARE(Child<QWidget>("ShellTreeView")->width(), 1);
  QCOMPARE(Child<QWidget>("RichEditOutput")->width(), splitter->width() - 1 - handle->width());
  splitter->setSizes({161, 591});
}

void WindowsTest::errorText_data() {
  QTest::addColumn<QString>("message");
  QTest::addColumn<QString>("shown");
  QTest::newRow("letter") << "RichEdit line insertion error"
                          << "RichEdit line insertion error.";
  QTest::newRow("full stop") << "Done."
                             << "Done.";
  QTest::newRow("sorts before") << "Stop!"
                                << "Stop!";
  QTest::newRow("chinese") << "出错"
                           << "出错.";
  QTest::newRow("empty") << ""
                         << "";
}

void WindowsTest::errorText() {
  QFETCH(QString, message);
  QFETCH(QString, shown);
  QCOMPARE(ErrorDisplayText(message), shown);
}

void WindowsTest::keyboardReachesTheCommandAndTheMenus_data() {
  QTest::addColumn<int>("key");
  QTest::addColumn<QString>("reaches");  // "output": the listing runs; else the menu reached
  QTest::newRow("Return") << int(Qt::Key_Return) << "output";
  QTest::newRow("Enter") << int(Qt::Key_Enter) << "output";
  QTest::newRow("Space") << int(Qt::Key_Space) << "output";
  QTest::newRow("F10") << int(Qt::Key_F10) << "N1";
  QTest::newRow("lone Alt") << int(Qt::Key_Alt) << "N1";
}

void WindowsTest::keyboardReachesTheCommandAndTheMenus() {
  QFETCH(int, key);
  QFETCH(QString, reaches);
  Select({"桌面", "sample"});
  auto* pane = Child<TOutputPane>("RichEditOutput");
  pane->Clear();
  auto* button = Child<QPushButton>("ButtonOutput");
  FormSelectDir->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(FormSelectDir));
  button->setFocus();
  if (key == Qt::Key_Alt) {
    QTest::keyPress(button, Qt::Key_Alt, Qt::AltModifier);
    QTest::keyRelease(button, Qt::Key_Alt, Qt::NoModifier);
  } else {
    QTest::keyClick(button, Qt::Key(key));
  }

  if (reaches == "output") {
    QCOMPARE(pane->LineCount(), std::size_t{6});
    QCOMPARE(Child<TStatusBar>("StatusBar")->StatusText(), QStringLiteral("输出完成！"));
    return;
  }
  auto* bar = Child<QMenuBar>("MainMenu");
  QCOMPARE(bar->activeAction(), Child<QMenu>("N1")->menuAction());
  QCOMPARE(pane->LineCount(), std::size_t{0});
  // Esc leaves the menu bar, closing the menu first where one opened.
  for (int i = 0; i < 2 && (bar->activeAction() || QApplication::activePopupWidget()); ++i) {
    QWidget* target = QApplication::activePopupWidget() ? QApplication::activePopupWidget() : bar;
    QTest::keyClick(target, Qt::Key_Escape);
  }
  QTRY_VERIFY(!QApplication::activePopupWidget());
}

void WindowsTest::qtTextsAreChinese() {
  QCOMPARE(
      QMessageBox(QMessageBox::Critical, "", "", QMessageBox::Ok).button(QMessageBox::Ok)->text(),
      QStringLiteral("确定"));
  // The path field's own context menu.
  std::unique_ptr<QMenu> menu(Child<QLineEdit>("EditSelectedDir")->createStandardContextMenu());
  QStringList items;
  for (const QAction* action : menu->actions()) items << action->text();
  QVERIFY2(items.join(' ').contains(QStringLiteral("复制")), qPrintable(items.join(' ')));
}

void WindowsTest::windowIconIsTheInstalledSet() {
  const QIcon icon = QApplication::windowIcon();
  QList<QSize> sizes;
  for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) sizes << QSize(size, size);
  QCOMPARE(icon.availableSizes(), sizes);
  // The 32 px picture is the program's own 16-colour icon, pixel for pixel.
  const QImage designed(QStringLiteral(KESTROVA_SOURCE_DIR "/data/icons/kestrova.xpm"));
  QVERIFY(!designed.isNull());
  QCOMPARE(icon.pixmap(QSize(32, 32)).toImage().convertToFormat(QImage::Format_ARGB32),
           designed.convertToFormat(QImage::Format_ARGB32));
}

}  // namespace

int main(int argc, char** argv) {
  // A home of its own, so that the tree's desktop holds the folders made here.
  const TTempTree home;
  ::setenv("HOME", home.Root().c_str(), 1);
  ::unsetenv("XDG_CONFIG_HOME");
  for (const char* folder :
       {"Desktop", "Desktop/sample", "Desktop/sample/docs", "Desktop/doomed", "Desktop/markup"}) {
    home.Folder(folder);
  }
  for (const char* file :
       {"Desktop/sample/a.txt", "Desktop/sample/docs/readme.txt", "Desktop/markup/<b>x<i>&amp;"}) {
    home.File(file);
  }
  int applicationArgc = 1;
  TKestrovaApplication application(applicationArgc, argv);
  WindowsTest test(home);
  return QTest::qExec(&test, argc, argv);
}

#include "windowsTest.moc"
