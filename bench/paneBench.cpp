// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
// kestrova-bench-pane PATH: the Output command into the real pane, as the button runs it.
// Creates the main window offscreen, puts PATH in the path field, runs ActionOutPutExecute, then
// paints the pane once, scrolled to its end. Prints one line:
//   lines=N seconds=S paint_ms=P rss_mb=R bytes_per_line=B [error=E]
// N the pane's lines, S the handler's wall time, P that last paint, R the growth of peak resident
// memory over the run, B the pane's own memory per line, text included, E the error that ended the
// run, if one did. With KESTROVA_BENCH_USABILITY set, a second line times a scroll to the middle,
// selecting all and copying.
#include <QElapsedTimer>
#include <QScrollBar>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "errorDisplay.h"
#include "kestrovaApplication.h"
#include "outputPane.h"
#include "pathField.h"

namespace {

// A field of /proc/self/status, in kB.
long StatusKb(const std::string& field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.starts_with(field + ":")) return std::atol(line.c_str() + field.size() + 1);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: kestrova-bench-pane PATH\n");
    return 2;
  }
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  int applicationArgc = 1;
  TKestrovaApplication application(applicationArgc, argv);
  // A run that reaches the pane's capacity reports it here rather than in a message box.
  QString error;
  InstallErrorDisplay([&error](const QString& message) { error = message; });
  FormSelectDir->show();
  QApplication::processEvents();
  auto* field = FormSelectDir->findChild<TPathField*>(QStringLiteral("EditSelectedDir"));
  auto* pane = FormSelectDir->findChild<TOutputPane*>(QStringLiteral("RichEditOutput"));
  field->SetPath(argv[1]);

  const long rssBefore = StatusKb("VmRSS");
  QElapsedTimer run;
  run.start();
  FormSelectDir->ActionOutPutExecute();
  const double seconds = static_cast<double>(run.nsecsElapsed()) / 1e9;
  QApplication::processEvents();

  QElapsedTimer paint;
  paint.start();
  pane->ScrollToEnd();
  pane->viewport()->repaint();
  const double paintMs = static_cast<double>(paint.nsecsElapsed()) / 1e6;
  const long peakGrowth = StatusKb("VmHWM") - rssBefore;

  const std::size_t lines = pane->LineCount();
  std::printf("lines=%zu seconds=%.3f paint_ms=%.1f rss_mb=%.1f bytes_per_line=%.1f%s%s\n", lines,
              seconds, paintMs, static_cast<double>(peakGrowth) / 1024,
              lines ? static_cast<double>(pane->BytesReserved()) / static_cast<double>(lines) : 0,
              error.isEmpty() ? "" : " error=", error.toUtf8().constData());
  if (std::getenv("KESTROVA_BENCH_USABILITY")) {
    QElapsedTimer step;
    step.start();
    pane->verticalScrollBar()->setValue(pane->verticalScrollBar()->maximum() / 2);
    pane->viewport()->repaint();
    const double scrollMs = static_cast<double>(step.nsecsElapsed()) / 1e6;
    step.restart();
    pane->SelectAll();
    pane->viewport()->repaint();
    const double selectMs = static_cast<double>(step.nsecsElapsed()) / 1e6;
    step.restart();
    pane->Copy();
    const double copyMs = static_cast<double>(step.nsecsElapsed()) / 1e6;
    std::printf("scroll_ms=%.1f select_all_ms=%.1f copy_ms=%.1f rss_after_copy_mb=%.1f\n", scrollMs,
                selectMs, copyMs, static_cast<double>(StatusKb("VmHWM") - rssBefore) / 1024);
  }
  return 0;
}
