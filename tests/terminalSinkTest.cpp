// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
// The sink of kestrova-list: prompt for a terminal, in large blocks into a pipe or a file.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <chrono>
#include <string>
#include <thread>

#include "terminalSink.h"
#include "uniqueFd.h"

namespace kestrova {
namespace {

std::string ReadAvailable(int fd) {
  std::string read;
  char chunk[4096];
  for (ssize_t n; (n = ::read(fd, chunk, sizeof chunk)) > 0;) read.append(chunk, n);
  return read;
}

class TerminalSinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    int fds[2];
    ASSERT_EQ(::pipe2(fds, O_NONBLOCK | O_CLOEXEC), 0);
    reader_ = TUniqueFd(fds[0]);
    writer_ = TUniqueFd(fds[1]);
    ::fcntl(writer_.Get(), F_SETPIPE_SZ, 1024 * 1024);
  }
  TUniqueFd reader_, writer_;
};

TEST_F(TerminalSinkTest, PromptSinkShowsWhatItHasBeforeTheWalkWaitsAndEveryTenthOfASecond) {
  TTerminalSink sink(writer_.Get(), false, true);
  sink.AddLine("one");
  sink.WalkMayWait();
  EXPECT_EQ(ReadAvailable(reader_.Get()), "one\n");
  sink.WalkMayWait();
  EXPECT_EQ(ReadAvailable(reader_.Get()), "");
  sink.AddLine("two");
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  sink.AddLine("three");
  EXPECT_EQ(ReadAvailable(reader_.Get()), "two\nthree\n");
}

TEST_F(TerminalSinkTest, SinkForAPipeWritesLargeBlocksOnly) {
  TTerminalSink sink(writer_.Get(), false);
  sink.AddLine("one");
  sink.WalkMayWait();
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  sink.AddLine("two");
  EXPECT_EQ(ReadAvailable(reader_.Get()), "");
  const std::string line(99, 'x');
  for (int i = 0; i < 700; ++i) sink.AddLine(line);
  const std::string block = ReadAvailable(reader_.Get());
  EXPECT_GE(block.size(), 64u * 1024);
  EXPECT_TRUE(block.starts_with("one\ntwo\nxxx"));
  sink.Flush();
  EXPECT_EQ(block.size() + ReadAvailable(reader_.Get()).size(), 8 + 700 * 100u);
}

}  // namespace
}  // namespace kestrova
