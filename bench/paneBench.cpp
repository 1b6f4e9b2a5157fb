// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
// kestrova-bench-pane: the output pane under load, offscreen.
//
//   kestrova-bench-pane PATH
//     The Output command into the real pane, as the button runs it: creates the main window, puts
//     PATH in the path field, runs ActionOutPutExecute, then paints the pane once, scrolled to its
//     end. Prints one line:
//       lines=N seconds=S paint_ms=P rss_mb=R bytes_per_line=B [error=E]
//     N the pane's lines, S the handler's wall time, P that last paint, R the growth of peak
//     resident memory over the run, B the pane's own memory per line, text included, E the error
//     that ended the run, if one did. With KESTROVA_BENCH_USABILITY set, a second line times a
//     scroll to the middle, selecting all and copying.
//
//   kestrova-bench-pane --find LINES
//     A listing of LINES lines whose one match is on its last line; finds it from the top with the
//     window's event loop running, as the find bar does. Prints
//       find_lines=N find_ms=F longest_stall_ms=L scan_ms=S
//     F the time to the match, L the longest time the event loop went without a turn meanwhile,
//     S a plain memmem over the same text, the floor of any search of it.
//
//   kestrova-bench-pane --paste LINES
//     Selects all of a listing of LINES lines, copies it, then pastes it as another program does:
//     asks the clipboard for text/html, then for text/plain. Prints
//       paste_lines=N html=yes|no html_ms=H html_mb=M html_bytes=B text_ms=T text_mb=U
//     and with KESTROVA_BENCH_REFERENCE set, the same for the HTML copy as it was made before
//     (QString by QString), as reference_html_ms and reference_html_mb. *_mb is the growth of
//     peak resident memory during that one paste.
//
//   kestrova-bench-pane --reclaim LINES
//     Resident memory with a small listing, then with LINES lines, then once a small listing has
//     replaced them: rss_small_mb=A rss_full_mb=B rss_after_mb=C.
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QMimeData>
#include <QScrollBar>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "errorDisplay.h"
#include "findBar.h"
#include "kestrovaApplication.h"
#include "listingCopy.h"
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

// Starts a new peak: VmHWM falls back to what is resident now.
void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

// Set, and not to the empty string that a script's VAR= leaves.
bool Flag(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

double Mb(long kb) { return static_cast<double>(kb) / 1024; }

double Ms(const QElapsedTimer& timer) { return static_cast<double>(timer.nsecsElapsed()) / 1e6; }

// Lines shaped as the walk writes them for a tree of nested folders: a heading, file lines in red,
// every tenth a folder line in green, indentation a few levels deep, and closing lines.
void FillListing(TOutputPane& pane, std::size_t lines, const std::string& last) {
  pane.Clear();
  pane.SetBold(true);
  pane.SetColor(kestrova::clBlue);
  pane.AddLine("/home/user/bench-tree");
  pane.SetBold(false);
  std::string indent;
  std::string line;
  for (std::size_t i = 1; i + 1 < lines; ++i) {
    const std::size_t depth = (i / 30) % 5;
    indent.clear();
    for (std::size_t d = 0; d < depth; ++d) indent += "│  ";
    line = indent;
    if (i % 30 == 29) {
      line += "└█";
    } else if (i % 10 == 4) {
      pane.SetColor(kestrova::clGreen);
      line += "├文件夹" + std::to_string(i % 10) + "：[folder-" + std::to_string(i) + "]";
    } else {
      pane.SetColor(kestrova::clRed);
      line += "├(" + std::to_string(i % 30) + ")file-" + std::to_string(i) + ".txt";
    }
    pane.AddLine(line);
  }
  pane.SetColor(kestrova::clRed);
  pane.AddLine(last);
  QApplication::processEvents();
}

// The HTML copy as it was first made, one QString per line and the whole in UTF-16, then turned
// into the UTF-8 bytes a paste sends: the reference for the one the pane makes now.
QByteArray ReferenceHtml(const TLineView& lines) {
  QString html = QStringLiteral(
      "<!DOCTYPE html><html><head><meta charset=\"utf-8\"></head><body>"
      "<div style=\"font-family:sans-serif\">\n");
  for (std::size_t line = 0; line < lines.Count(); ++line) {
    if (line > 0) html += QLatin1String("<br>\n");
    const auto& attributes = lines.Attributes(line);
    html += QLatin1String("<span style=\"color:") +
            QStringLiteral("#%1%2%3")
                .arg(attributes.color.red, 2, 16, QLatin1Char('0'))
                .arg(attributes.color.green, 2, 16, QLatin1Char('0'))
                .arg(attributes.color.blue, 2, 16, QLatin1Char('0'));
    if (attributes.bold) html += QLatin1String(";font-weight:bold");
    html += QLatin1String("\">");
    QChar previous = QLatin1Char('\n');
    for (const QChar c : LineString(lines, line)) {
      switch (c.unicode()) {
        case '&':
          html += QLatin1String("&amp;");
          break;
        case '<':
          html += QLatin1String("&lt;");
          break;
        case '>':
          html += QLatin1String("&gt;");
          break;
        case '"':
          html += QLatin1String("&quot;");
          break;
        case ' ':
          html += previous == QLatin1Char(' ') || previous == QLatin1Char('\n')
                      ? QLatin1String("&nbsp;")
                      : QLatin1String(" ");
          break;
        default:
          html += c;
      }
      previous = c;
    }
    html += QLatin1String("</span>");
  }
  html += QLatin1String("\n</div></body></html>\n");
  return html.toUtf8();
}

TOutputPane* ShownPane() {
  FormSelectDir->show();
  QApplication::processEvents();
  return FormSelectDir->findChild<TOutputPane*>(QStringLiteral("RichEditOutput"));
}

int RunOutputCommand(const char* path) {
  // A run that reaches the pane's capacity reports it here rather than in a message box.
  QString error;
  InstallErrorDisplay([&error](const QString& message) { error = message; });
  TOutputPane* pane = ShownPane();
  FormSelectDir->findChild<TPathField*>(QStringLiteral("EditSelectedDir"))->SetPath(path);

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
  const double paintMs = Ms(paint);
  const long peakGrowth = StatusKb("VmHWM") - rssBefore;

  const std::size_t lines = pane->LineCount();
  std::printf("lines=%zu seconds=%.3f paint_ms=%.1f rss_mb=%.1f bytes_per_line=%.1f%s%s\n", lines,
              seconds, paintMs, Mb(peakGrowth),
              lines ? static_cast<double>(pane->BytesReserved()) / static_cast<double>(lines) : 0,
              error.isEmpty() ? "" : " error=", error.toUtf8().constData());
  if (Flag("KESTROVA_BENCH_USABILITY")) {
    QElapsedTimer step;
    step.start();
    pane->verticalScrollBar()->setValue(pane->verticalScrollBar()->maximum() / 2);
    pane->viewport()->repaint();
    const double scrollMs = Ms(step);
    step.restart();
    pane->SelectAll();
    pane->viewport()->repaint();
    const double selectMs = Ms(step);
    step.restart();
    pane->Copy();
    const double copyMs = Ms(step);
    std::printf("scroll_ms=%.1f select_all_ms=%.1f copy_ms=%.1f rss_after_copy_mb=%.1f\n", scrollMs,
                selectMs, copyMs, Mb(StatusKb("VmHWM") - rssBefore));
  }
  return 0;
}

int Find(std::size_t lines) {
  TOutputPane* pane = ShownPane();
  FillListing(*pane, lines, "├(7)the-needle.txt");

  // The floor: one memmem through all of the text.
  QElapsedTimer scan;
  scan.start();
  std::size_t hits = 0;
  for (std::size_t chunk = 0; chunk < pane->Lines().ChunkCount(); ++chunk) {
    const std::string_view bytes = pane->Lines().Chunk(chunk).bytes;
    hits += ::memmem(bytes.data(), bytes.size(), "needle", 6) != nullptr;
  }
  const double scanMs = Ms(scan);

  // A timer that should fire every millisecond tells how long the event loop is held up.
  QElapsedTimer sinceTurn;
  double longestStall = 0;
  QTimer turns;
  turns.setInterval(1);
  QObject::connect(&turns, &QTimer::timeout, pane, [&] {
    longestStall = std::max(longestStall, Ms(sinceTurn));
    sinceTurn.restart();
  });
  QEventLoop loop;
  bool found = false;
  QObject::connect(pane, &TOutputPane::FindFinished, &loop, [&](bool result) {
    found = result;
    loop.quit();
  });
  pane->OpenFindBar();
  pane->FindBar()
      .findChild<QLineEdit*>(QStringLiteral("FindText"))
      ->setText(QStringLiteral("NEEDLE"));
  pane->SetSelection({0, 0}, {0, 0});
  QElapsedTimer find;
  QTimer::singleShot(0, pane, [&] {
    turns.start();
    sinceTurn.start();
    find.start();
    pane->Find(true);
  });
  loop.exec();
  const double findMs = Ms(find);
  const bool onLast = found && pane->Selection().from.line == pane->LineCount() - 1;
  std::printf("find_lines=%zu find_ms=%.1f longest_stall_ms=%.1f scan_ms=%.1f%s\n",
              pane->LineCount(), findMs, std::max(longestStall, Ms(sinceTurn)), scanMs,
              onLast && hits == 1 ? "" : " error=wrong-match");
  return onLast ? 0 : 1;
}

int Paste(std::size_t lines) {
  TOutputPane* pane = ShownPane();
  FillListing(*pane, lines, "└█");
  pane->SelectAll();
  pane->Copy();
  const QMimeData* copied = QApplication::clipboard()->mimeData();

  // As a paste from another program goes: what formats there are, then the one it takes.
  ResetPeak();
  long before = StatusKb("VmRSS");
  QElapsedTimer timer;
  timer.start();
  const bool html = copied->formats().contains(QStringLiteral("text/html"));
  qsizetype htmlBytes = copied->data(QStringLiteral("text/html")).size();
  const double htmlMs = Ms(timer);
  const double htmlMb = Mb(StatusKb("VmHWM") - before);

  ResetPeak();
  before = StatusKb("VmRSS");
  timer.restart();
  const qsizetype textBytes = copied->data(QStringLiteral("text/plain")).size();
  const double textMs = Ms(timer);
  const double textMb = Mb(StatusKb("VmHWM") - before);
  std::printf(
      "paste_lines=%zu html=%s html_ms=%.0f html_mb=%.0f html_bytes=%lld text_ms=%.0f "
      "text_mb=%.0f text_bytes=%lld",
      pane->LineCount(), html ? "yes" : "no", htmlMs, htmlMb, static_cast<long long>(htmlBytes),
      textMs, textMb, static_cast<long long>(textBytes));
  if (Flag("KESTROVA_BENCH_REFERENCE")) {
    ResetPeak();
    before = StatusKb("VmRSS");
    timer.restart();
    htmlBytes = ReferenceHtml(pane->Lines()).size();
    std::printf(" reference_html_ms=%.0f reference_html_mb=%.0f reference_html_bytes=%lld",
                Ms(timer), Mb(StatusKb("VmHWM") - before), static_cast<long long>(htmlBytes));
  }
  std::printf("\n");
  return 0;
}

int Reclaim(std::size_t lines) {
  TOutputPane* pane = ShownPane();
  FillListing(*pane, 100, "└█");
  const long small = StatusKb("VmRSS");
  FillListing(*pane, lines, "└█");
  pane->ScrollToEnd();
  pane->viewport()->repaint();
  const long full = StatusKb("VmRSS");
  FillListing(*pane, 100, "└█");
  pane->viewport()->repaint();
  const long after = StatusKb("VmRSS");
  std::printf("reclaim_lines=%zu rss_small_mb=%.0f rss_full_mb=%.0f rss_after_mb=%.0f\n", lines,
              Mb(small), Mb(full), Mb(after));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const bool mode = argc == 3 && std::strncmp(argv[1], "--", 2) == 0;
  if (argc != 2 && !mode) {
    std::fprintf(stderr,
                 "usage: kestrova-bench-pane PATH | --find LINES | --paste LINES | "
                 "--reclaim LINES\n");
    return 2;
  }
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  int applicationArgc = 1;
  TKestrovaApplication application(applicationArgc, argv);
  if (!mode) return RunOutputCommand(argv[1]);
  const auto lines = static_cast<std::size_t>(std::atoll(argv[2]));
  if (std::strcmp(argv[1], "--find") == 0) return Find(lines);
  if (std::strcmp(argv[1], "--paste") == 0) return Paste(lines);
  if (std::strcmp(argv[1], "--reclaim") == 0) return Reclaim(lines);
  std::fprintf(stderr, "kestrova-bench-pane: unknown mode %s\n", argv[1]);
  return 2;
}
