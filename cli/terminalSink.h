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
class TTerminalSink final : public TOutputSink {
 public:
  TTerminalSink(int fd, bool colored);
  TTerminalSink(const TTerminalSink&) = delete;
  TTerminalSink& operator=(const TTerminalSink&) = delete;
  ~TTerminalSink() override;

  // A terminal cannot take lines back; the Output command only ever clears an empty sink.
  void Clear() override {}
  void SetBold(bool bold) override;
  void SetColor(TColor color) override;
  void AddLine(std::string_view text) override;
  void Flush();

 private:
  void UpdateStart();

  int fd_;
  bool colored_;
  bool bold_ = false;
  TColor color_;
  std::string lineStart_;  // the SGR sequence for the current attributes
  std::string buffer_;
};

}  // namespace kestrova
