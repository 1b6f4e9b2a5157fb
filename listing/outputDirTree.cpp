// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#include "outputDirTree.h"

#include <charconv>
#include <cstdint>
#include <string>
#include <vector>

#include "displayText.h"
#include "posixDirSource.h"

namespace kestrova {
namespace {

constexpr std::string_view kEntryMark = "├";
constexpr std::string_view kRule = "│";
constexpr std::string_view kClosing = "└█";
constexpr std::string_view kFolderWord = "文件夹";
constexpr std::string_view kFolderColon = "：";

void AppendNumber(std::string& out, std::uint64_t number) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
  out.append(digits, end);
}

}  // namespace

bool OutputDirTree(std::string_view path, std::string_view prefix, int padCount, TOutputSink& sink,
                   TDirSource& source) {
  const auto branch = source.Open(path);
  if (!branch) return false;

  // The walk keeps its own stack rather than recursing, so that no depth the file system allows
  // can exhaust the thread's stack. `line` always starts with the current level's indent, shared
  // by all levels (each level knows its length), so that a line deep in a tree is never copied to
  // be written: the entry is appended, the line written, and the entry cut off again.
  struct TLevel {
    std::size_t indentSize;
    std::uint64_t folders = 0;
    std::uint64_t files = 0;
  };
  std::string line(prefix);
  line.append(padCount > 0 ? static_cast<std::size_t>(padCount) : 0, ' ');
  std::vector<TLevel> levels{{line.size()}};
  TDirEntry entry;

  while (!levels.empty()) {
    TLevel& level = levels.back();
    if (!branch->NextEntry(entry)) {
      line.append(kClosing);
      sink.AddLine(line);
      branch->LeaveFolder();
      levels.pop_back();
      if (!levels.empty()) line.resize(levels.back().indentSize);
      continue;
    }
    line.append(kEntryMark);
    if (entry.isFolder) {
      // Drops "." and "..", and every folder the user keeps out of sight (.git, .cache).
      if (!IsWalkedFolderName(entry.name)) {
        line.resize(level.indentSize);
        continue;
      }
      ++level.folders;
      line.append(kFolderWord);
      AppendNumber(line, level.folders);
      line.append(kFolderColon).append("[");
      AppendDisplayText(line, entry.name);
      line.append("]");
      // Only the colour: a folder line keeps whichever style the last heading or file line set.
      sink.SetColor(clGreen);
      sink.AddLine(line);
      line.resize(level.indentSize);
      if (branch->EnterFolder()) {
        line.append(kRule).append("  ");
        levels.push_back({line.size()});
      }
    } else {
      ++level.files;
      line.append("(");
      AppendNumber(line, level.files);
      line.append(")");
      AppendDisplayText(line, entry.name);
      sink.SetBold(false);
      sink.SetColor(clRed);
      sink.AddLine(line);
      line.resize(level.indentSize);
    }
  }
  return true;
}

bool RunOutputCommand(std::string_view path, TOutputSink& sink, TStatusReceiver& status,
                      TDirSource& source) {
  status.SetStatusText(kStatusRunning);
  sink.Clear();
  sink.SetBold(true);
  sink.SetColor(clBlue);
  sink.AddLine(DisplayText(path));
  const bool listed = OutputDirTree(path, "", 0, sink, source);
  status.SetStatusText(kStatusDone);
  return listed;
}

bool RunOutputCommand(std::string_view path, TOutputSink& sink, TStatusReceiver& status) {
  TPosixDirSource source;
  return RunOutputCommand(path, sink, status, source);
}

}  // namespace kestrova
