// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
// kestrova-bench-tree FOLDER: how long expanding FOLDER in the folder tree holds up the window.
// The tree's desktop gets a link to FOLDER; the bench expands it from the event loop while a 5 ms
// timer measures the longest gap between its ticks. Prints one line:
//   rows=N first_rows_ms=F all_rows_ms=A longest_stall_ms=L
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "shellFolderModel.h"
#include "shellTreeView.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: kestrova-bench-tree FOLDER\n");
    return 2;
  }
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QTemporaryDir home;
  QDir(home.path()).mkdir(QStringLiteral("Desktop"));
  QFile::link(QDir(QString::fromLocal8Bit(argv[1])).absolutePath(),
              home.path() + QStringLiteral("/Desktop/big"));
  ::setenv("HOME", home.path().toLocal8Bit().constData(), 1);
  int applicationArgc = 1;
  QApplication application(applicationArgc, argv);
  TShellTreeView tree;
  tree.resize(300, 600);
  tree.show();
  QApplication::processEvents();

  TShellFolderModel& model = tree.FolderModel();
  const QModelIndex root = model.index(0, 0);
  while (model.IsReading(root)) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
  const QModelIndexList found = model.match(model.index(0, 0, root), Qt::DisplayRole,
                                            QStringLiteral("big"), 1, Qt::MatchExactly);
  if (found.isEmpty()) return 1;
  const QModelIndex big = found.front();

  QElapsedTimer clock, tick;
  double longestStall = 0, firstRows = -1, allRows = -1;
  QTimer ticker;
  ticker.setInterval(5);
  QObject::connect(&ticker, &QTimer::timeout, &ticker, [&] {
    longestStall = std::max(longestStall, static_cast<double>(tick.nsecsElapsed()) / 1e6);
    tick.restart();
    const double now = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    // Until the subfolders are read, the folder holds one row that says so.
    if (firstRows < 0 && model.IsFileSystemFolder(model.index(0, 0, big))) firstRows = now;
    if (allRows < 0 && firstRows >= 0 && !model.IsReading(big)) allRows = now;
    // Scroll down as a reader would, so that a view that fills as it scrolls fills to the end.
    tree.scrollToBottom();
    if (allRows >= 0 || now > 20000) application.quit();
  });
  QTimer::singleShot(0, &tree, [&] {
    clock.start();
    tick.start();
    ticker.start();
    tree.expand(big);
  });
  application.exec();
  std::printf("rows=%d first_rows_ms=%.1f all_rows_ms=%.1f longest_stall_ms=%.1f\n",
              model.rowCount(big), firstRows, allRows, longestStall);
  return 0;
}
