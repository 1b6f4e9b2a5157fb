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
#include <vector>

#include "outputDirTree.h"
#include "posixDirSource.h"
#include "recordedLines.h"
#include "statusRecorder.h"
#include "tempTree.h"
#include "uniqueFd.h"

namespace kestrova::testing {
namespace {

// The sanitizer build's checks of dynamic types open a pipe of their own when they first meet a
// class, and report a false error when the process has no descriptor left for it.
#ifdef __SANITIZE_ADDRESS__
constexpr bool kSanitizerNeedsDescriptors = true;
#else
constexpr bool kSanitizerNeedsDescriptors = false;
#endif

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

// A folder behind several links is walked through the first of them only; the others show it with
// nothing beneath, like a link back into the branch. The real folder is walked all the same.
TEST(PosixWalkTest, FolderBehindLinksIsWalkedThroughTheFirstOnly) {
  TTempTree tree;
  tree.Folder("real");
  tree.File("real/f");
  tree.Link("..", "real/up");
  tree.Link("real", "l1");
  tree.Link("real", "l2");

  const auto lines = List(tree.Root());

  std::size_t l1 = 0, l2 = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].text.ends_with("[l1]")) l1 = i;
    if (lines[i].text.ends_with("[l2]")) l2 = i;
  }
  const std::string first = l1 < l2 ? "l1" : "l2", second = l1 < l2 ? "l2" : "l1";
  EXPECT_EQ(Outline(lines),
            Sorted({"real/", "real/f", "real/up/", "real/$end", first + "/", first + "/f",
                    first + "/up/", first + "/$end", second + "/", "$end"}));
}

// Folders that all link to one another: following every path through them would never end in
// practice; walking each one through a link once bounds the listing.
TEST(PosixWalkTest, WebOfLinksEnds) {
  constexpr int kFolders = 7;
  TTempTree tree;
  for (int i = 0; i < kFolders; ++i) {
    const std::string folder = "n" + std::to_string(i);
    tree.Folder(folder);
    tree.File(folder + "/file");
    for (int j = 0; j < kFolders; ++j) {
      if (j != i) tree.Link("../n" + std::to_string(j), folder + "/to-n" + std::to_string(j));
    }
  }

  const auto lines = List(tree.Root());

  // The heading, the chosen folder's lines, and each folder walked at most twice: once as itself
  // and once through a link, with a line per link, its file and its closing line.
  EXPECT_LE(lines.size(), 1u + (kFolders + 1) + 2 * kFolders * (kFolders + 1));
  const auto outline = Outline(lines);
  for (int i = 0; i < kFolders; ++i) {
    const std::string file = "n" + std::to_string(i) + "/file";
    EXPECT_NE(std::find(outline.begin(), outline.end(), file), outline.end()) << file;
  }
}

// The same, when the branch goes through links: backing up through ".." from a folder entered
// through a link leads elsewhere, and the walk must notice and take the long way.
TEST(PosixWalkTest, ReopeningLevelsEnteredThroughLinksChangesNothing) {
  constexpr int kLevels = 8;
  TTempTree tree;
  for (int i = 1; i <= kLevels; ++i) {
    const std::string folder = "pool/f" + std::to_string(i);
    if (i == 1) tree.Folder("pool");
    tree.Folder(folder);
    tree.Folder(folder + "/s");
    tree.File(folder + "/x");
    if (i < kLevels) tree.Link("../f" + std::to_string(i + 1), folder + "/next");
  }
  TPosixDirSource roomy;
  TPosixDirSource tight(2);
  const int before = OpenDescriptors();
  const auto expected = List(tree.Path("pool/f1"), roomy);
  EXPECT_EQ(List(tree.Path("pool/f1"), tight), expected);
  EXPECT_EQ(OpenDescriptors(), before);
  // The heading, five lines a level (s, its closing line, x, next, the closing line), one less at
  // the end of the chain, which has no next.
  EXPECT_EQ(expected.size(), 5u * kLevels);
}

TEST(PosixWalkTest, NamesThatAreNotTextAreEscapedAndStillWalked) {
  TTempTree tree;
  tree.File("photo\u202Egnp.exe");
  tree.File("a\\x0Ab");
  tree.File("bad\nname\xff");
  tree.File("\x1b[31mred");
  tree.File("ok-名字");
  tree.Folder("dir\xfe");
  tree.File("dir\xfe/x");

  const auto lines = List(tree.Root());

  EXPECT_EQ(Outline(lines),
            Sorted({"photo\\xE2\\x80\\xAEgnp.exe", "a\\\\x0Ab", "bad\\x0Aname\\xFF", "\\x1B[31mred",
                    "ok-名字", "dir\\xFE/", "dir\\xFE/x", "dir\\xFE/$end", "$end"}));
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

// With only a few descriptors left to the process, the walk gives back its own to go on, and
// lists everything; with none, it says so rather than leave folders out.
TEST(PosixWalkTest, ShortageOfDescriptorsNeverDropsAFolder) {
  constexpr int kLevels = 50;
  TTempTree tree;
  std::string path;
  for (int i = 0; i < kLevels; ++i) {
    tree.Folder(path + "d");
    tree.Folder(path + "s");
    tree.File(path + "f");
    path += "d/";
  }
  const auto whole = List(tree.Root());
  ASSERT_EQ(whole.size(), 1u + 5 * kLevels + 1);

  struct TCase {
    int left;
    TReadAheadMode readAhead;
    bool listed;
  };
  for (const TCase& shortage :
       {TCase{7, TReadAheadMode::kAdaptive, true}, TCase{5, TReadAheadMode::kAlways, true},
        TCase{2, TReadAheadMode::kNever, true}, TCase{1, TReadAheadMode::kNever, false},
        TCase{0, TReadAheadMode::kAlways, false}}) {
    SCOPED_TRACE("descriptors left: " + std::to_string(shortage.left));
    if (!shortage.listed && kSanitizerNeedsDescriptors) continue;
    EXPECT_EXIT(
        {
          // Fill every descriptor below the limit, then give back the ones the walk may have.
          rlimit limit{};
          limit.rlim_cur = limit.rlim_max = 64;
          if (::setrlimit(RLIMIT_NOFILE, &limit) != 0) std::_Exit(3);
          std::vector<int> held;
          for (int fd; (fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;) held.push_back(fd);
          for (int i = 0; i < shortage.left; ++i) ::close(held[held.size() - 1 - i]);
          TPosixDirOptions options;
          options.readAhead = shortage.readAhead;
          TPosixDirSource source(options);
          try {
            const auto lines = List(tree.Root(), source);
            std::_Exit(shortage.listed && lines == whole ? 0 : 1);
          } catch (const EOutOfDescriptors& error) {
            std::fprintf(stderr, "%s\n", error.what());
            std::_Exit(shortage.listed ? 2 : 0);
          }
        },
        ::testing::ExitedWithCode(0), "");
  }
}

// On a file system that gives no entry types, "." and ".." in a folder that can be read but not
// searched cannot be asked about: they must not show as files.
TEST(PosixWalkTest, SelfAndParentAreNeverEntriesOnAFileSystemWithoutTypes) {
  if (::geteuid() != 0) GTEST_SKIP() << "mounting a file system image needs root";
  TTempTree tree;
  tree.Folder("src");
  tree.Folder("src/locked");
  tree.File("src/locked/f");
  tree.Folder("src/open");
  tree.File("src/open/g");
  ASSERT_EQ(::chmod(tree.Path("src/locked").c_str(), 0444), 0);
  tree.Folder("mnt");
  const std::string image = tree.Path("ext2.img"), mount = tree.Path("mnt");
  const std::string make = "truncate -s 4M '" + image + "' && mke2fs -q -t ext2 -O ^filetype -d '" +
                           tree.Path("src") + "' '" + image + "' >/dev/null 2>&1";
  if (std::system(make.c_str()) != 0) GTEST_SKIP() << "mke2fs could not make an ext2 image";
  if (std::system(("mount -o loop,ro '" + image + "' '" + mount + "' 2>/dev/null").c_str()) != 0) {
    GTEST_SKIP() << "the ext2 image could not be mounted here";
  }
  struct TUnmount {
    std::string at;
    ~TUnmount() { [[maybe_unused]] int ignored = std::system(("umount '" + at + "'").c_str()); }
  } unmount{mount};
  const TItems expected = Sorted({"locked/", "locked/f", "locked/$end", "open/", "open/g",
                                  "open/$end", "lost+found/", "$end"});

  EXPECT_EXIT(
      {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) std::_Exit(3);
        const TItems outline = Outline(List(mount));
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
