// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
// The output pane as a user drives it, offscreen and on its own: keyboard selection, the mouse
// (double- and triple-click, dragging past an edge), find, zoom, paper colours whatever the
// palette, and what assistive technology can ask.
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "findBar.h"
#include "outputPane.h"

Q_DECLARE_METATYPE(QList<QKeyCombination>)

namespace {

using kestrova::clBlue;
using kestrova::clGreen;
using kestrova::clRed;

// A small listing: heading, folder line, files with a dotted name and a Chinese one, closing.
const std::vector<std::pair<std::string, kestrova::TColor>> kListing = {
    {"/home/me/project", clBlue},
    {"├文件夹1：[文档]", clGreen},
    {"│  ├(1)file-000123.txt", clRed},
    {"│  ├(2)说明.txt", clRed},
    {"│  └█", clRed},
    {"├(1)README.md", clRed},
    {"└█", clRed},
};

QString Joined() {
  QStringList lines;
  for (const auto& [text, color] : kListing) lines << QString::fromStdString(text);
  return lines.join(QLatin1Char('\n'));
}

class PaneTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void init();
  void cleanup();
  void keyboardSelection_data();
  void keyboardSelection();
  void keyboardMovesTheCaretAndKeepsItInView();
  void doubleClickSelectsAWholeFileName();
  void tripleClickSelectsTheLine();
  void dragPastTheBottomEdgeKeepsScrolling();
  void findBarFindsForwardBackwardAndWraps();
  void findRunsInSlicesAndStopsWithTheListing();
  void zoomsAndComesBackToTheDesignedSize();
  void staysPaperUnderADarkPalette();
  void accessibleTextAnswersByLine();

 private:
  void Fill(std::size_t extraLines = 0);
  QPoint PointOf(TTextPosition position);

  std::unique_ptr<TOutputPane> pane_;
};

void PaneTest::init() {
  pane_ = std::make_unique<TOutputPane>();
  pane_->setFont(QFont(QStringLiteral("Sans Serif"), 8));
  pane_->resize(400, 300);
  pane_->show();
  QVERIFY(QTest::qWaitForWindowExposed(pane_.get()));
  pane_->activateWindow();
  pane_->setFocus();
}

void PaneTest::cleanup() { pane_.reset(); }

void PaneTest::Fill(std::size_t extraLines) {
  pane_->Clear();
  for (const auto& [text, color] : kListing) {
    pane_->SetBold(color == clBlue);
    pane_->SetColor(color);
    pane_->AddLine(text);
  }
  for (std::size_t i = 0; i < extraLines; ++i)
    pane_->AddLine("├(" + std::to_string(i) + ")more.txt");
  QCoreApplication::processEvents();
}

QPoint PaneTest::PointOf(TTextPosition position) {
  const QRect rect = pane_->CharacterRect(position);
  if (rect.isEmpty()) qFatal("position not in view");
  // Just inside the character's left edge, which is nearest to the position itself.
  return {rect.left() + 1, rect.center().y()};
}

void PaneTest::keyboardSelection_data() {
  QTest::addColumn<QList<QKeyCombination>>("keys");
  QTest::addColumn<QString>("selected");
  const auto shift = Qt::ShiftModifier;
  const auto control = Qt::ControlModifier;
  QTest::newRow("shift+right") << QList<QKeyCombination>{shift | Qt::Key_Right,
                                                         shift | Qt::Key_Right}
                               << "/h";
  QTest::newRow("shift+end") << QList<QKeyCombination>{shift | Qt::Key_End} << "/home/me/project";
  QTest::newRow("shift+down, to the next line")
      << QList<QKeyCombination>{shift | Qt::Key_Down} << "/home/me/project\n";
  QTest::newRow("ctrl+shift+right by words")
      << QList<QKeyCombination>{Qt::NoModifier | Qt::Key_Down, Qt::NoModifier | Qt::Key_Down,
                                control | Qt::Key_Right, control | Qt::Key_Right,
                                control | shift | Qt::Key_Right}
      << "file-000123.txt";
  QTest::newRow("shift+left over a line break")
      << QList<QKeyCombination>{Qt::NoModifier | Qt::Key_Down, shift | Qt::Key_Left,
                                shift | Qt::Key_Left}
      << "t\n";
  QTest::newRow("ctrl+shift+end") << QList<QKeyCombination>{Qt::NoModifier | Qt::Key_Down,
                                                            Qt::NoModifier | Qt::Key_Down,
                                                            Qt::NoModifier | Qt::Key_Down,
                                                            Qt::NoModifier | Qt::Key_Down,
                                                            Qt::NoModifier | Qt::Key_Down,
                                                            control | shift | Qt::Key_End}
                                  << QString::fromUtf8("├(1)README.md\n└█");
  QTest::newRow("a move without shift drops the selection")
      << QList<QKeyCombination>{shift | Qt::Key_End, Qt::NoModifier | Qt::Key_Home} << "";
}

void PaneTest::keyboardSelection() {
  QFETCH(QList<QKeyCombination>, keys);
  QFETCH(QString, selected);
  Fill();
  QTest::keyClick(pane_.get(), Qt::Key_Home, Qt::ControlModifier);
  for (const QKeyCombination key : keys) {
    QTest::keyClick(pane_.get(), key.key(), key.keyboardModifiers());
  }
  QCOMPARE(pane_->SelectedText(), selected);
  // What Ctrl+C copies is exactly the selection, never the rest of its last line.
  QApplication::clipboard()->clear();
  QTest::keyClick(pane_.get(), Qt::Key_C, Qt::ControlModifier);
  QCOMPARE(QApplication::clipboard()->text(), selected);
}

void PaneTest::keyboardMovesTheCaretAndKeepsItInView() {
  Fill(2000);
  QTest::keyClick(pane_.get(), Qt::Key_End, Qt::ControlModifier);
  QCOMPARE(pane_->Caret().line, pane_->LineCount() - 1);
  QVERIFY(!pane_->CharacterRect(pane_->Caret()).isEmpty());  // scrolled into view
  const std::size_t first = pane_->FirstVisibleLine();
  QTest::keyClick(pane_.get(), Qt::Key_PageUp);
  QVERIFY(pane_->FirstVisibleLine() < first);
  QVERIFY(!pane_->CharacterRect(pane_->Caret()).isEmpty());
  QTest::keyClick(pane_.get(), Qt::Key_Home, Qt::ControlModifier);
  QCOMPARE(pane_->Caret(), (TTextPosition{0, 0}));
  QCOMPARE(pane_->FirstVisibleLine(), std::size_t{0});
  QVERIFY(!pane_->HasSelection());
  // Ctrl+A selects everything without moving the view.
  QTest::keyClick(pane_.get(), Qt::Key_A, Qt::ControlModifier);
  QCOMPARE(
      pane_->Selection(),
      (TTextRange{{0, 0}, {pane_->LineCount() - 1, pane_->LineLength(pane_->LineCount() - 1)}}));
  QCOMPARE(pane_->FirstVisibleLine(), std::size_t{0});
}

void PaneTest::doubleClickSelectsAWholeFileName() {
  Fill();
  QTest::mouseDClick(pane_->viewport(), Qt::LeftButton, {}, PointOf({2, 12}));
  QCOMPARE(pane_->SelectedText(), QStringLiteral("file-000123.txt"));
  QTest::mouseDClick(pane_->viewport(), Qt::LeftButton, {}, PointOf({1, 8}));
  QCOMPARE(pane_->SelectedText(), QStringLiteral("文档"));
  // Shift+click extends what is selected.
  QTest::mouseClick(pane_->viewport(), Qt::LeftButton, {}, PointOf({0, 1}));
  QTest::mouseClick(pane_->viewport(), Qt::LeftButton, Qt::ShiftModifier, PointOf({0, 5}));
  QCOMPARE(pane_->SelectedText(), QStringLiteral("home"));
}

void PaneTest::tripleClickSelectsTheLine() {
  Fill();
  const QPoint at = PointOf({2, 12});
  QTest::mouseDClick(pane_->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseClick(pane_->viewport(), Qt::LeftButton, {}, at);
  QCOMPARE(pane_->SelectedText(), QStringLiteral("│  ├(1)file-000123.txt"));
  // A click later than that is a click again.
  QTest::qWait(QApplication::doubleClickInterval() + 50);
  QTest::mouseClick(pane_->viewport(), Qt::LeftButton, {}, at);
  QVERIFY(!pane_->HasSelection());
}

void PaneTest::dragPastTheBottomEdgeKeepsScrolling() {
  Fill(3000);
  QWidget* viewport = pane_->viewport();
  const auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
    QMouseEvent event(type, at, viewport->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(viewport, &event);
  };
  send(QEvent::MouseButtonPress, PointOf({1, 2}), Qt::LeftButton);
  send(QEvent::MouseMove, {50, viewport->height() + 40}, Qt::LeftButton);
  // The mouse stands still below the pane; the pane scrolls on and the selection grows with it.
  QTRY_VERIFY(pane_->FirstVisibleLine() > 40);
  QVERIFY(pane_->Selection().to.line > 40);
  QCOMPARE(pane_->Selection().from, (TTextPosition{1, 2}));
  send(QEvent::MouseButtonRelease, {50, viewport->height() + 40}, Qt::NoButton);
  const std::size_t stopped = pane_->FirstVisibleLine();
  QTest::qWait(200);
  QCOMPARE(pane_->FirstVisibleLine(), stopped);
}

void PaneTest::findBarFindsForwardBackwardAndWraps() {
  Fill();
  TFindBar& bar = pane_->FindBar();
  QVERIFY(!bar.isVisible());
  QTest::keyClick(pane_.get(), Qt::Key_F, Qt::ControlModifier);
  QVERIFY(bar.isVisible());
  auto* field = bar.findChild<QLineEdit*>(QStringLiteral("FindText"));
  QTRY_VERIFY(field->hasFocus());
  // The bar sits inside the pane's own area, below its text.
  QVERIFY(pane_->rect().contains(bar.geometry()));
  QVERIFY(bar.geometry().top() >= pane_->viewport()->geometry().bottom());

  QTest::keyClicks(field, QStringLiteral("TXT"));  // found as it is typed, whatever the case
  QCOMPARE(pane_->Selection(), (TTextRange{{2, 19}, {2, 22}}));
  QTest::keyClick(field, Qt::Key_Return);
  QCOMPARE(pane_->Selection(), (TTextRange{{3, 10}, {3, 13}}));
  QVERIFY(bar.Note().isEmpty());
  QTest::keyClick(field, Qt::Key_Return);  // no more below: round to the top
  QCOMPARE(pane_->Selection(), (TTextRange{{2, 19}, {2, 22}}));
  QCOMPARE(bar.Note(), QStringLiteral("已到达末尾，从开头继续查找"));
  QTest::keyClick(field, Qt::Key_Return, Qt::ShiftModifier);
  QCOMPARE(pane_->Selection(), (TTextRange{{3, 10}, {3, 13}}));
  QCOMPARE(bar.Note(), QStringLiteral("已到达开头，从末尾继续查找"));
  QTest::keyClick(field, Qt::Key_F3, Qt::ShiftModifier);
  QCOMPARE(pane_->Selection(), (TTextRange{{2, 19}, {2, 22}}));

  bar.findChild<QCheckBox*>(QStringLiteral("FindCaseSensitive"))->setChecked(true);
  QCOMPARE(bar.Note(), QStringLiteral("找不到“TXT”"));  // said in the bar, not in a box
  QVERIFY(!QApplication::activeModalWidget());
  bar.findChild<QCheckBox*>(QStringLiteral("FindCaseSensitive"))->setChecked(false);

  field->clear();
  QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QStringLiteral("说明"), Qt::NoModifier);
  QCOMPARE(pane_->SelectedText(), QStringLiteral("说明"));

  QTest::keyClick(field, Qt::Key_Escape);
  QVERIFY(!bar.isVisible());
  QTRY_VERIFY(pane_->hasFocus());
  // F3 in the pane finds the same text again from the selection.
  QTest::keyClick(pane_.get(), Qt::Key_Home, Qt::ControlModifier);
  QTest::keyClick(pane_.get(), Qt::Key_F3);
  QCOMPARE(pane_->Selection(), (TTextRange{{3, 7}, {3, 9}}));
}

void PaneTest::findRunsInSlicesAndStopsWithTheListing() {
  Fill(1'500'000);
  pane_->AddLine("├(1)the-needle.txt");
  QCoreApplication::processEvents();
  pane_->OpenFindBar();
  QSignalSpy finished(pane_.get(), &TOutputPane::FindFinished);
  auto* field = pane_->FindBar().findChild<QLineEdit*>(QStringLiteral("FindText"));
  field->setText(QStringLiteral("needle"));
  QTest::keyClick(field, Qt::Key_Return);
  QTRY_COMPARE(finished.count(), 1);
  QCOMPARE(finished.front().front().toBool(), true);
  QCOMPARE(pane_->Selection().from.line, pane_->LineCount() - 1);
  QVERIFY(!pane_->CharacterRect(pane_->Caret()).isEmpty());

  // A search under way when a new listing starts is dropped with the old lines.
  QTest::keyClick(field, Qt::Key_Return);
  Fill();
  QVERIFY(!pane_->Finding());
  QTest::qWait(50);
  QVERIFY(finished.count() <= 2);
}

void PaneTest::zoomsAndComesBackToTheDesignedSize() {
  Fill();
  const qreal designed = pane_->TextFont().pointSizeF();
  QCOMPARE(designed, 8.0);
  QTest::keyClick(pane_.get(), Qt::Key_Equal, Qt::ControlModifier);
  QTest::keyClick(pane_.get(), Qt::Key_Plus, Qt::ControlModifier | Qt::ShiftModifier);
  QCOMPARE(pane_->TextFont().pointSizeF(), designed + 2);
  QTest::keyClick(pane_.get(), Qt::Key_Minus, Qt::ControlModifier);
  QCOMPARE(pane_->TextFont().pointSizeF(), designed + 1);
  QWheelEvent wheel(QPointF(50, 50), pane_->viewport()->mapToGlobal(QPointF(50, 50)), {}, {0, 120},
                    Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(pane_->viewport(), &wheel);
  QCOMPARE(pane_->TextFont().pointSizeF(), designed + 2);
  QTest::keyClick(pane_.get(), Qt::Key_0, Qt::ControlModifier);
  QCOMPARE(pane_->TextFont().pointSizeF(), designed);
  QCOMPARE(pane_->font().pointSizeF(), designed);  // the designed font itself is never changed
  for (int i = 0; i < 100; ++i) QTest::keyClick(pane_.get(), Qt::Key_Minus, Qt::ControlModifier);
  QVERIFY(pane_->TextFont().pointSizeF() >= 4);
}

void PaneTest::staysPaperUnderADarkPalette() {
  QPalette dark;
  dark.setColor(QPalette::Window, QColor(45, 45, 45));
  dark.setColor(QPalette::Base, QColor(30, 30, 30));
  dark.setColor(QPalette::Text, Qt::white);
  dark.setColor(QPalette::WindowText, Qt::white);
  dark.setColor(QPalette::Highlight, QColor(42, 130, 218));
  dark.setColor(QPalette::HighlightedText, Qt::black);
  const QPalette before = QApplication::palette();
  QApplication::setPalette(dark);
  pane_ = std::make_unique<TOutputPane>();
  pane_->setFont(QFont(QStringLiteral("Sans Serif"), 12));
  pane_->resize(400, 300);
  pane_->show();
  QVERIFY(QTest::qWaitForWindowExposed(pane_.get()));
  Fill();
  pane_->SetSelection({5, 0}, {5, 13});

  const QImage page = pane_->viewport()->grab().toImage();
  QApplication::setPalette(before);
  QCOMPARE(page.pixelColor(page.width() - 10, page.height() - 10), QColor(Qt::white));
  QSet<QRgb> colours;
  for (int y = 0; y < page.height(); ++y) {
    for (int x = 0; x < page.width(); ++x) colours.insert(page.pixel(x, y) & 0xFFFFFF);
  }
  // The listing's exact colours are drawn, and the selection is the pane's own, white on blue.
  for (const QRgb colour : {0x0000FFu, 0x008000u, 0xFF0000u, 0x0B57D0u, 0xFFFFFFu}) {
    QVERIFY2(colours.contains(colour), qPrintable(QString::number(colour, 16)));
  }
  QVERIFY(!colours.contains(QColor(30, 30, 30).rgb() & 0xFFFFFF));
  // The find bar, like the rest of the window, follows the desktop.
  QCOMPARE(pane_->FindBar().palette().color(QPalette::Window), QColor(45, 45, 45));
}

void PaneTest::accessibleTextAnswersByLine() {
  Fill();
  QAccessibleInterface* pane = QAccessible::queryAccessibleInterface(pane_.get());
  QVERIFY(pane);
  QCOMPARE(pane->role(), QAccessible::EditableText);
  QCOMPARE(pane->text(QAccessible::Name), QStringLiteral("输出内容"));
  QVERIFY(pane->state().readOnly);
  QVERIFY(pane->state().multiLine);
  QAccessibleTextInterface* text = pane->textInterface();
  QVERIFY(text);
  const QString joined = Joined();
  QCOMPARE(text->characterCount(), joined.size());
  QCOMPARE(text->text(0, text->characterCount()), joined);
  QCOMPARE(text->text(17, 21), joined.mid(17, 4));

  const int line2 = static_cast<int>(joined.indexOf(QStringLiteral("│  ├(1)")));
  int start = -1;
  int end = -1;
  QCOMPARE(text->textAtOffset(line2 + 5, QAccessible::LineBoundary, &start, &end),
           QStringLiteral("│  ├(1)file-000123.txt\n"));
  QCOMPARE(start, line2);
  QCOMPARE(end, line2 + 23);
  QCOMPARE(text->textBeforeOffset(line2 + 5, QAccessible::LineBoundary, &start, &end),
           QStringLiteral("├文件夹1：[文档]\n"));
  QCOMPARE(text->textAfterOffset(line2 + 5, QAccessible::LineBoundary, &start, &end),
           QStringLiteral("│  ├(2)说明.txt\n"));
  QCOMPARE(text->textAtOffset(line2 + 9, QAccessible::WordBoundary, &start, &end),
           QStringLiteral("file"));
  QCOMPARE(text->textAtOffset(line2 + 2, QAccessible::CharBoundary, &start, &end),
           QStringLiteral(" "));
  QCOMPARE(text->textAtOffset(joined.size() - 1, QAccessible::LineBoundary, &start, &end),
           QStringLiteral("└█"));

  // Caret and selection, both ways.
  QTest::keyClick(pane_.get(), Qt::Key_Down);
  QTest::keyClick(pane_.get(), Qt::Key_Right, Qt::ShiftModifier);
  QCOMPARE(text->cursorPosition(), 18);
  QCOMPARE(text->selectionCount(), 1);
  text->selection(0, &start, &end);
  QCOMPARE(start, 17);
  QCOMPARE(end, 18);
  text->setSelection(0, line2 + 7, line2 + 11);
  QCOMPARE(pane_->SelectedText(), QStringLiteral("file"));
  text->setCursorPosition(3);
  QCOMPARE(pane_->Caret(), (TTextPosition{0, 3}));
  QCOMPARE(text->selectionCount(), 0);

  // Geometry: the rectangle of a character in view, and the character at a point.
  const QRect rect = text->characterRect(line2 + 9);
  QVERIFY(!rect.isEmpty());
  QCOMPARE(text->offsetAtPoint({rect.left() + 1, rect.center().y()}), line2 + 9);
  QCOMPARE(text->offsetAtPoint(pane_->mapToGlobal(QPoint(-50, -50))), -1);

  const QString heading = text->attributes(2, &start, &end);
  QVERIFY2(heading.contains(QStringLiteral("color:rgb(0,0,255)")), qPrintable(heading));
  QVERIFY(heading.contains(QStringLiteral("font-weight:700")));
  QCOMPARE(start, 0);
  QCOMPARE(end, 16);
  QVERIFY(text->attributes(line2, &start, &end).contains(QStringLiteral("color:rgb(255,0,0)")));
  QVERIFY(!text->attributes(line2, &start, &end).contains(QStringLiteral("font-weight")));
}

}  // namespace

QTEST_MAIN(PaneTest)

#include "paneTest.moc"
