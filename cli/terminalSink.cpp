// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#include "terminalSink.h"

#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <system_error>

namespace kestrova {
namespace {

constexpr std::size_t kFlushSize = 64 * 1024;
constexpr std::string_view kReset = "\x1b[0m";
constexpr long long kPromptInterval = 100;  // milliseconds

// The coarse clock is read without a system call and is fine enough for a tenth of a second.
long long NowInMilliseconds() {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
  return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1'000'000;
}

}  // namespace

TTerminalSink::TTerminalSink(int fd, bool colored, bool prompt)
    : fd_(fd), colored_(colored), prompt_(prompt) {
  buffer_.reserve(2 * kFlushSize);
  UpdateStart();
  if (prompt_) lastFlush_ = NowInMilliseconds();
}

TTerminalSink::~TTerminalSink() {
  // The owner flushes to hear of errors; here what is left goes out quietly, if it can.
  try {
    Flush();
  } catch (const std::exception&) {
  }
}

void TTerminalSink::SetBold(bool bold) {
  if (bold_ == bold) return;
  bold_ = bold;
  UpdateStart();
}

void TTerminalSink::SetColor(TColor color) {
  if (color_ == color) return;
  color_ = color;
  UpdateStart();
}

void TTerminalSink::UpdateStart() {
  if (!colored_) return;
  lineStart_ = bold_ ? "\x1b[1;38;2;" : "\x1b[38;2;";
  lineStart_ += std::to_string(color_.red) + ';' + std::to_string(color_.green) + ';' +
                std::to_string(color_.blue) + 'm';
}

void TTerminalSink::AddLine(std::string_view text) {
  if (colored_) {
    buffer_.append(lineStart_).append(text).append(kReset);
  } else {
    buffer_.append(text);
  }
  buffer_.push_back('\n');
  if (buffer_.size() >= kFlushSize ||
      (prompt_ && NowInMilliseconds() - lastFlush_ >= kPromptInterval)) {
    Flush();
  }
}

void TTerminalSink::WalkMayWait() {
  if (prompt_ && !buffer_.empty()) Flush();
}

void TTerminalSink::Flush() {
  if (prompt_) lastFlush_ = NowInMilliseconds();
  std::size_t written = 0;
  while (written < buffer_.size()) {
    const ssize_t n = ::write(fd_, buffer_.data() + written, buffer_.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int error = errno;
      buffer_.clear();
      if (error == EPIPE) throw EOutputClosed();
      throw std::system_error(error, std::generic_category(), "write error");
    }
    written += static_cast<std::size_t>(n);
  }
  buffer_.clear();
}

}  // namespace kestrova
