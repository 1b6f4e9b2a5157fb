// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
// Google Benchmark figures for the listing's own work, apart from the file system and the
// terminal: making names safe to show, and the walk over a scripted tree into a sink that only
// counts. `kestrova-bench-listing --benchmark_filter=...` as usual.
#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

#include "../tests/scriptedDirSource.h"
#include "displayText.h"
#include "outputDirTree.h"

namespace {

using kestrova::testing::TScriptedDirSource;
using kestrova::testing::TScriptedEntry;

void DisplayName(benchmark::State& state, std::string name) {
  std::string out;
  for (auto _ : state) {
    out.clear();
    kestrova::AppendDisplayText(out, name);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * name.size()));
}
BENCHMARK_CAPTURE(DisplayName, ascii, std::string("file-000123-quarterly-report.txt"));
BENCHMARK_CAPTURE(DisplayName, chinese, std::string("项目计划书（第二版）最终稿.docx"));
BENCHMARK_CAPTURE(DisplayName, hostile, std::string("bad\nname\xff\x1b[31m\xc2\x9b.txt"));

class TCountingSink final : public kestrova::TOutputSink {
 public:
  void Clear() override {}
  void SetBold(bool) override {}
  void SetColor(kestrova::TColor) override {}
  void AddLine(std::string_view text) override {
    bytes += text.size();
    ++lines;
  }
  std::size_t bytes = 0;
  std::int64_t lines = 0;
};

// A tree like the walk benchmark's: 27 files and 3 folders in every folder, four levels deep.
std::map<std::string, std::vector<TScriptedEntry>> SyntheticTree() {
  std::map<std::string, std::vector<TScriptedEntry>> folders;
  std::vector<std::string> level{"r"};
  for (int depth = 0; depth < 4; ++depth) {
    std::vector<std::string> next;
    for (const std::string& folder : level) {
      auto& entries = folders[folder];
      for (int i = 0; i < 30; ++i) {
        const bool isFolder = i % 10 == 4;
        entries.push_back({(isFolder ? "folder-" : "file-") + std::to_string(i), isFolder});
        if (isFolder) next.push_back(folder + "/" + entries.back().name);
      }
    }
    level = std::move(next);
  }
  for (const std::string& folder : level) folders[folder];
  return folders;
}

void WalkIntoCountingSink(benchmark::State& state) {
  TScriptedDirSource source(SyntheticTree());
  std::int64_t lines = 0;
  for (auto _ : state) {
    TCountingSink sink;
    kestrova::OutputDirTree("r", "", 0, sink, source);
    benchmark::DoNotOptimize(sink.bytes);
    lines += sink.lines;
  }
  state.SetItemsProcessed(lines);
}
BENCHMARK(WalkIntoCountingSink)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
