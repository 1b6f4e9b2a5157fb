// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
// The walk over real trees: links, loops, special files, depth, hostile names, locked folders.
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <cstdio>
#include <cstring>

#include "outputDirTree.h"
#include "posixDirSource.h"
#include "recordedLines.h"
#include "statusRecorder.h"
#include "tempTree.h"
#include "uniqueFd.h"

namespace kestrova::testing {
namespace {

using TItems = std::vector<std::string>;

TItems Sorted(TItems items) {
  std::sort(items.begin(), items.end());
  return items;
}

std::vector<TRecordedLine> List(const std::string& path, TDirSource& source) {
  TRecordingSink sink;
  TStatusRecorder status;
  RunOutputCommand(path, sink, status, source);
  return sink.Lines();
}

std::vector<TRecordedLine> List(const std::string& path) {
  TPosixDirSource source;
  return List(path, source);
}

int OpenDescriptors() {
  int count = 0;
  if (DIR* dir = ::opendir("/proc/self/fd")) {
    while (::readdir(dir) != nullptr) ++count;
    ::closedir(dir);
  }
  return count;
}

// Links are followed, but never back into the branch that leads to them; nothing but a folder is
// opened, so special files cannot block the walk.
TEST(PosixWalkTest, FollowsLinksButNotLoopsAndListsSpecialFilesAsFiles) {
  TTempTree tree;
  tree.File("file");
  tree.Folder("sub");
  tree.Link("..", "sub/up");
  tree.Link(".", "sub/self");
  tree.Link("sub", "todir");
  tree.Link("file", "tofile");
  tree.Link("nowhere", "dangling");
  tree.Link(".hidden", "dotlink");
  tree.Folder(".hidden");
  tree.Link("sub", ".dotlink");
  tree.Fifo("fifo");
  const std::string socketPath = tree.Path("socket");
  const TUniqueFd socket(::socket(AF_UNIX, SOCK_STREAM, 0));
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(socketPath.size(), sizeof address.sun_path);
  std::strcpy(address.sun_path, socketPath.c_str());
  ASSERT_EQ(::bind(socket.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

  const auto lines = List(tree.Root());

  EXPECT_EQ(Outline(lines), Sorted({"file", "sub/", "sub/up/", "sub/self/", "sub/$end", "todir/",
                                    "todir/up/", "todir/self/", "todir/$end", "tofile", "dangling",
                                    "dotlink/", "dotlink/$end", "fifo", "socket", "$end"}));
  for (const auto& line : lines) {
    if (line.text.ends_with("[up]") || line.text.ends_with("[todir]")) {
      EXPECT_EQ(line.color, clGreen) << line.text;
    }
    if (line.text.ends_with("fifo") || line.text.ends_with("dangling")) {
      EXPECT_EQ(line.color, clRed) << line.text;
    }
  }
}

// Deeper than PATH_MAX and than the descriptor limit allows folders to be held open at once.
TEST(PosixWalkTest, ListsAChainDeeperThanTheDescriptorLimitWhole) {
  constexpr int kDepth = 5000;
  TTempTree tree;
  {
    TUniqueFd parent(::open(tree.Root().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    for (int i = 0; i < kDepth; ++i) {
      ASSERT_EQ(::mkdirat(parent.Get(), "d", 0755), 0);
      parent = TUniqueFd(::openat(parent.Get(), "d", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
      ASSERT_TRUE(parent);
    }
    ASSERT_EQ(::close(::openat(parent.Get(), "leaf", O_CREAT | O_WRONLY | O_CLOEXEC, 0644)), 0);
  }
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
  rlimit lowered = saved;
  lowered.rlim_cur = std::min<rlim_t>(1024, saved.rlim_cur);
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &lowered), 0);
  const int before = OpenDescriptors();
  const auto lines = List(tree.Root());
  EXPECT_EQ(OpenDescriptors(), before);
  ::setrlimit(RLIMIT_NOFILE, &saved);

  // The heading, a line and a closing line per folder, the leaf, the chosen folder's closing line.
  ASSERT_EQ(lines.size(), 1u + 2 * kDepth + 2);
  std::string indent;
  for (int i = 0; i < kDepth; ++i) indent += "│  ";
  EXPECT_EQ(lines[kDepth + 1].text, indent + "├(1)leaf");
  EXPECT_EQ(lines[kDepth + 2].text, indent + "└█");
  EXPECT_EQ(lines.back().text, "└█");
}

// With only a few folders open at a time, the walk closes shallow levels and reopens them to enter
// their later folders and to look through their links: the listing must not change.
TEST(PosixWalkTest, ReopeningClosedLevelsChangesNothing) {
  TTempTree tree;
  std::string path;
  for (int depth = 0; depth < 8; ++depth) {
    for (const char* name : {"a", "b", "c"}) tree.Folder(path + name);
    tree.File(path + "f");
    tree.Link("b", path + "tob");
    path += "a/";
  }
  TPosixDirSource roomy;
  TPosixDirSource tight(2);
  const int before = OpenDescriptors();
  const auto expected = List(tree.Root(), roomy);
  EXPECT_EQ(List(tree.Root(), tight), expected);
  EXPECT_EQ(OpenDescriptors(), before);
  EXPECT_EQ(expected.size(), 1u + 8 * 9 + 1);
}

TEST(PosixWalkTest, NamesThatAreNotTextAreEscapedAndStillWalked) {
  TTempTree tree;
  tree.File("bad\nname\xff");
  tree.File("\x1b[31mred");
  tree.File("ok-名字");
  tree.Folder("dir\xfe");
  tree.File("dir\xfe/x");

  const auto lines = List(tree.Root());

  EXPECT_EQ(Outline(lines), Sorted({"bad\\x0Aname\\xFF", "\\x1B[31mred", "ok-名字", "dir\\xFE/",
                                    "dir\\xFE/x", "dir\\xFE/$end", "$end"}));
}

// A folder that cannot be read shows its line and nothing beneath it, not even a closing line.
TEST(PosixWalkTest, UnreadableFolderShowsNothingBeneathIt) {
  TTempTree tree;
  tree.Folder("locked");
  tree.File("locked/secret");
  tree.Folder("open");
  tree.File("open/f");
  ASSERT_EQ(::chmod(tree.Path("locked").c_str(), 0), 0);
  const TItems expected = Sorted({"locked/", "open/", "open/f", "open/$end", "$end"});

  // Permissions do not stop root, so a child process gives them up first.
  EXPECT_EXIT(
      {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) std::_Exit(3);
        const TItems outline = Outline(List(tree.Root()));
        for (const std::string& item : outline) std::fprintf(stderr, "%s\n", item.c_str());
        std::_Exit(outline == expected ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(PosixWalkTest, FailingLineLeaksNoDescriptor) {
  TTempTree tree;
  tree.Folder("a");
  tree.Folder("a/b");
  tree.Folder("a/b/c");
  tree.File("a/b/c/f");
  const int before = OpenDescriptors();
  for (std::size_t capacity = 1; capacity < 6; ++capacity) {
    TRecordingSink sink(capacity);
    TStatusRecorder status;
    TPosixDirSource source;
    EXPECT_THROW(RunOutputCommand(tree.Root(), sink, status, source), ELineInsertionError);
    EXPECT_EQ(OpenDescriptors(), before) << "capacity " << capacity;
  }
}

TEST(PosixWalkTest, FolderTest) {
  TTempTree tree;
  tree.Folder("dir");
  tree.File("file");
  tree.Link("dir", "todir");
  tree.Link("nowhere", "dangling");
  tree.Fifo("fifo");
  EXPECT_TRUE(IsExistingFolder(tree.Path("dir")));
  EXPECT_TRUE(IsExistingFolder(tree.Path("todir")));
  EXPECT_TRUE(IsExistingFolder("/"));
  for (const char* name : {"file", "dangling", "fifo", "missing"}) {
    EXPECT_FALSE(IsExistingFolder(tree.Path(name))) << name;
  }
  EXPECT_FALSE(IsExistingFolder(""));
}

}  // namespace
}  // namespace kestrova::testing
