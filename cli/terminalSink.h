// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "outputSink.h"

namespace kestrova {

// The reader of the output went away (`kestrova-list | head`).
class EOutputClosed : public std::runtime_error {
 public:
  EOutputClosed() : std::runtime_error("output closed") {}
};

// Writes each line to a file descriptor, LF-terminated, through a buffer of its own. With colour,
// a line carries its attributes as SGR codes and ends with a reset; without, no escape code at all.
// Write errors are thrown: EOutputClosed for a closed pipe, std::system_error for the rest.
// Prompt, for a person watching a terminal, it writes what it holds whenever the walk may have to
// wait and at least every 100 ms; otherwise, into a pipe or a file, only in large blocks.
class TTerminalSink final : public TOutputSink {
 public:
  TTerminalSink(int fd, bool colored, bool prompt = false);
  TTerminalSink(const TTerminalSink&) = delete;
  TTerminalSink& operator=(const TTerminalSink&) = delete;
  ~TTerminalSink() override;

  // A terminal cannot take lines back; the Output command only ever clears an empty sink.
  void Clear() override {}
  void SetBold(bool bold) override;
  void SetColor(TColor color) override;
  void AddLine(std::string_view text) override;
  void Flush();
  // The walk is about to wait, for the disk or a slow mount: a prompt sink shows what is done.
  void WalkMayWait();

 private:
  void UpdateStart();

  int fd_;
  bool colored_;
  bool prompt_;
  long long lastFlush_ = 0;  // when a prompt sink last wrote, in milliseconds
  bool bold_ = false;
  TColor color_;
  std::string lineStart_;  // the SGR sequence for the current attributes
  std::string buffer_;
};

}  // namespace kestrova
