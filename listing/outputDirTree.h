// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#pragma once

#include <string_view>

#include "dirSource.h"
#include "outputSink.h"

namespace kestrova {

inline constexpr std::string_view kStatusRunning = "正在输出...";
inline constexpr std::string_view kStatusDone = "输出完成！";

// Whatever shows the user the command's progress.
class TStatusReceiver {
 public:
  virtual ~TStatusReceiver() = default;
  virtual void SetStatusText(std::string_view text) = 0;
};

// Writes the tree listing of the folder `path` into `sink`: one line per entry, in the order the
// search yields them, each folder's contents indented under its line and ended by a closing line.
// Every line starts with `prefix` and `padCount` spaces. False, with nothing written, when `path`
// names no folder that can be searched. A failing AddLine ends the walk at once and propagates,
// with every folder it opened closed.
bool OutputDirTree(std::string_view path, std::string_view prefix, int padCount, TOutputSink& sink,
                   TDirSource& source);

// The Output command: status "正在输出...", a cleared sink, the path as a bold blue heading, the
// walk, status "输出完成！". Returns the walk's result, which the window has no use for.
bool RunOutputCommand(std::string_view path, TOutputSink& sink, TStatusReceiver& status,
                      TDirSource& source);
bool RunOutputCommand(std::string_view path, TOutputSink& sink, TStatusReceiver& status);

}  // namespace kestrova
