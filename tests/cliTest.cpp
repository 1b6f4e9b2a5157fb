// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
// kestrova-list as a user runs it: its output bytes, its colour, its errors and exit status.
#include <sys/wait.h>

#include <gtest/gtest.h>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "tempTree.h"

namespace kestrova::testing {
namespace {

struct TRun {
  int status;
  std::string out;
  std::string err;
};

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Runs `kestrova-list ARGS` through the shell, with `env` before it and `pipe` after it.
TRun RunList(const TTempTree& scratch, const std::string& args, const std::string& env = "",
             const std::string& pipe = "") {
  const std::string out = scratch.Path("out"), err = scratch.Path("err");
  const std::string command = "set -o pipefail; " + env + " '" KESTROVA_LIST "' " + args + " 2>'" +
                              err + "'" + pipe + " >'" + out + "'";
  const int status = std::system(("bash -c \"" + command + "\"").c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadAll(out), ReadAll(err)};
}

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tree_.Folder("t");
    tree_.File("t/f");
  }
  std::string Tree() const { return "'" + tree_.Path("t") + "'"; }

  TTempTree scratch_;
  TTempTree tree_;
};

TEST_F(CliTest, WritesPlainLinesWithoutColorOffATerminal) {
  const std::string heading = tree_.Path("t");
  const std::string plain = heading + "\n├(1)f\n└█\n";
  EXPECT_EQ(RunList(scratch_, Tree()).out, plain);
  EXPECT_EQ(RunList(scratch_, "--color=never " + Tree()).out, plain);
  EXPECT_EQ(RunList(scratch_, "--color=auto " + Tree()).out, plain);
  const TRun here = RunList(scratch_, "", "cd " + Tree() + " &&");
  EXPECT_EQ(here.out, ".\n├(1)f\n└█\n");
  EXPECT_EQ(here.status, 0);
}

TEST_F(CliTest, ColorCarriesEachLinesAttributes) {
  const std::string colored = "\x1b[1;38;2;0;0;255m" + tree_.Path("t") +
                              "\x1b[0m\n"
                              "\x1b[38;2;255;0;0m├(1)f\x1b[0m\n"
                              "\x1b[38;2;255;0;0m└█\x1b[0m\n";
  EXPECT_EQ(RunList(scratch_, "--color=always " + Tree()).out, colored);
  EXPECT_EQ(RunList(scratch_, "--color " + Tree(), "NO_COLOR=1").out, colored);
}

TEST_F(CliTest, PathThatIsNoFolderGetsTheHeadingAMessageAndStatusTwo) {
  for (const std::string& path : {tree_.Path("t/f"), tree_.Path("missing")}) {
    const TRun run = RunList(scratch_, "'" + path + "'");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, path + "\n");
    EXPECT_NE(run.err.find(path), std::string::npos) << run.err;
  }
}

TEST_F(CliTest, BadCommandLinesAreRefused) {
  for (const char* args : {"--colour", "--color=sometimes", "-x", "a b"}) {
    const TRun run = RunList(scratch_, args);
    EXPECT_EQ(run.status, 2) << args;
    EXPECT_EQ(run.out, "") << args;
    EXPECT_NE(run.err.find("kestrova-list: "), std::string::npos) << args;
  }
  const TRun help = RunList(scratch_, "--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("Usage: kestrova-list"), std::string::npos);
  // As GNU tools give it: name and version, then copyright and licence.
  const TRun version = RunList(scratch_, "--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_TRUE(
      version.out.starts_with("kestrova-list (Kestrova) 1.0\n"
                              "Copyright (C) 2026 The Kestrova developers\n"
                              "License MIT: "))
      << version.out;
  // After "--" a name that looks like an option is a path.
  EXPECT_EQ(RunList(scratch_, "-- --help").status, 2);
}

// The options the manual page explains, from the roff source: the words of each item's tag in its
// OPTIONS section.
std::set<std::string> ManualOptions() {
  std::ifstream manual(KESTROVA_LIST_MANUAL);
  std::set<std::string> options;
  std::string line;
  bool inOptions = false, tag = false;
  const std::regex option(R"((?:\\-)+[a-z]*(?:\\-[a-z]+)*)");
  while (std::getline(manual, line)) {
    if (line.starts_with(".SH")) inOptions = line == ".SH OPTIONS";
    if (inOptions && tag) {
      for (std::sregex_iterator it(line.begin(), line.end(), option), end; it != end; ++it) {
        options.insert(std::regex_replace(it->str(), std::regex(R"(\\-)"), "-"));
      }
    }
    tag = inOptions && line == ".TP";
  }
  return options;
}

TEST_F(CliTest, HelpAndManualPageNameTheSameOptions) {
  const TRun help = RunList(scratch_, "--help");
  std::set<std::string> helpOptions;
  std::istringstream lines(help.out);
  const std::regex option(R"(^  (-[-a-z]*)(?:\[=[A-Z]+\])?(?:, (--[a-z-]+))?)");
  for (std::string line; std::getline(lines, line);) {
    std::smatch match;
    if (!std::regex_search(line, match, option)) continue;
    for (std::size_t i = 1; i < match.size(); ++i) {
      if (match[i].matched) helpOptions.insert(match[i].str());
    }
  }
  EXPECT_EQ(helpOptions, (std::set<std::string>{"--color", "-h", "--help", "--version", "--"}));
  EXPECT_EQ(ManualOptions(), helpOptions);
}

// Under `ulimit -Sn 64` with most descriptors held by the shell, the listing is still whole; with
// one left, enough to start the program and open the folder but not a subfolder, the user is told
// and the exit status says so.
TEST_F(CliTest, ShortageOfDescriptorsIsToldNotHidden) {
  std::string path = "t/chain/";
  tree_.Folder("t/chain");
  for (int i = 0; i < 50; ++i) {
    tree_.Folder(path + "d");
    tree_.File(path + "f");
    path += "d/";
  }
  const auto holding = [](int last) {
    std::string shell = "ulimit -Sn 64 &&";
    for (int fd = 3; fd <= last; ++fd) shell += " exec " + std::to_string(fd) + "</dev/null &&";
    return shell;
  };
  const std::string chain = "'" + tree_.Path("t/chain") + "'";
  const TRun whole = RunList(scratch_, chain);
  ASSERT_EQ(whole.status, 0);

  const TRun few = RunList(scratch_, chain, holding(56));
  EXPECT_EQ(few.status, 0) << few.err;
  EXPECT_EQ(few.out, whole.out);

#ifdef __SANITIZE_ADDRESS__
  // The sanitizer build's checks of dynamic types need a descriptor of their own to work.
  return;
#endif
  const TRun none = RunList(scratch_, chain, holding(62));
  EXPECT_EQ(none.status, 1);
  EXPECT_TRUE(none.out.starts_with(tree_.Path("t/chain") + "\n"));
  EXPECT_LT(none.out.size(), whole.out.size() / 10);
  EXPECT_NE(none.err.find("kestrova-list: no file descriptor left"), std::string::npos) << none.err;
}

TEST_F(CliTest, ClosedPipeEndsQuietly) {
  for (int i = 0; i < 20000; ++i) tree_.File("t/file-with-a-longish-name-" + std::to_string(i));
  const TRun run = RunList(scratch_, Tree(), "", " | head -n 1");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, tree_.Path("t") + "\n");
}

}  // namespace
}  // namespace kestrova::testing
