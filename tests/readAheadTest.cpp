// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
// Reading folders ahead on worker threads: the listing stays what the walk alone writes, the
// workers keep to the descriptor budget, a folder changed after it was read ahead is listed as it
// is when the walk gets there, and a failing line stops every worker and closes every descriptor.
#include <dirent.h>
#include <sys/stat.h>

#include <gtest/gtest.h>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <mutex>
#include <thread>

#include "outputDirTree.h"
#include "posixDirSource.h"
#include "recordedLines.h"
#include "statusRecorder.h"
#include "tempTree.h"

namespace kestrova::testing {
namespace {

int CountEntries(const char* folder) {
  int count = 0;
  if (DIR* dir = ::opendir(folder)) {
    while (const dirent* entry = ::readdir(dir)) count += entry->d_name[0] != '.';
    ::closedir(dir);
  }
  return count;
}
int OpenDescriptors() { return CountEntries("/proc/self/fd"); }
int Threads() { return CountEntries("/proc/self/task"); }

// A recording sink that runs a check before every line it takes.
class TWatchingSink final : public TOutputSink {
 public:
  explicit TWatchingSink(std::function<void(std::string_view)> watch,
                         std::size_t capacity = std::numeric_limits<std::size_t>::max())
      : watch_(std::move(watch)), lines_(capacity) {}
  void Clear() override { lines_.Clear(); }
  void SetBold(bool bold) override { lines_.SetBold(bold); }
  void SetColor(TColor color) override { lines_.SetColor(color); }
  void AddLine(std::string_view text) override {
    watch_(text);
    lines_.AddLine(text);
  }
  const std::vector<TRecordedLine>& Lines() const { return lines_.Lines(); }

 private:
  std::function<void(std::string_view)> watch_;
  TRecordingSink lines_;
};

std::vector<TRecordedLine> List(const std::string& path, TPosixDirOptions options) {
  TPosixDirSource source(std::move(options));
  TRecordingSink sink;
  TStatusRecorder status;
  RunOutputCommand(path, sink, status, source);
  return sink.Lines();
}

TPosixDirOptions Mode(TReadAheadMode mode, std::size_t maxOpen = 0) {
  TPosixDirOptions options;
  options.readAhead = mode;
  options.maxOpenFolders = maxOpen;
  return options;
}

// Four levels of four folders, each with files, a hidden folder, a link and a locked folder.
void MakeBushyTree(const TTempTree& tree, const std::string& at = "", int depth = 0) {
  tree.File(at + "f1");
  tree.Folder(at + ".hidden");
  tree.File(at + ".hidden/x");
  tree.Link("f1", at + "link");
  if (depth == 4) return;
  for (const char* name : {"a", "b", "c", "d"}) {
    tree.Folder(at + name);
    MakeBushyTree(tree, at + name + "/", depth + 1);
  }
  tree.File(at + "f2");
}

class ReadAheadTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    tree_ = new TTempTree;
    MakeBushyTree(*tree_);
  }
  static void TearDownTestSuite() { delete tree_; }
  static TTempTree* tree_;
};
TTempTree* ReadAheadTest::tree_ = nullptr;

TEST_F(ReadAheadTest, ListsExactlyWhatTheWalkAloneLists) {
  const auto alone = List(tree_->Root(), Mode(TReadAheadMode::kNever));
  ASSERT_GT(alone.size(), 1000u);
  // A first run, so that whatever the runtime starts along with the first thread is there already.
  EXPECT_EQ(List(tree_->Root(), Mode(TReadAheadMode::kAlways)), alone);
  const int descriptors = OpenDescriptors();
  const int threads = Threads();
  // Again and again, so that the workers meet the walk at ever different points.
  for (const std::size_t maxOpen : {0, 4, 7, 64}) {
    for (int run = 0; run < 8; ++run) {
      SCOPED_TRACE("budget " + std::to_string(maxOpen) + ", run " + std::to_string(run));
      EXPECT_EQ(List(tree_->Root(), Mode(TReadAheadMode::kAlways, maxOpen)), alone);
      EXPECT_EQ(OpenDescriptors(), descriptors);
      EXPECT_EQ(Threads(), threads);
    }
  }
  EXPECT_EQ(List(tree_->Root(), Mode(TReadAheadMode::kAdaptive)), alone);
}

TEST_F(ReadAheadTest, KeepsWithinTheDescriptorBudget) {
  constexpr std::size_t kBudget = 6;
  const int before = OpenDescriptors();
  int most = 0;
  TWatchingSink sink([&](std::string_view) { most = std::max(most, OpenDescriptors() - before); });
  TPosixDirSource source(Mode(TReadAheadMode::kAlways, kBudget));
  TStatusRecorder status;
  RunOutputCommand(tree_->Root(), sink, status, source);
  // One more than the budget while a folder is opened before a shallower one is let go, and one
  // for reading /proc/self/fd.
  EXPECT_LE(most, static_cast<int>(kBudget) + 2);
  EXPECT_GT(most, 0);
  EXPECT_EQ(OpenDescriptors(), before);
}

TEST_F(ReadAheadTest, FailingLineStopsEveryWorkerAndClosesEverything) {
  const std::size_t total = List(tree_->Root(), Mode(TReadAheadMode::kAlways)).size();
  const int descriptors = OpenDescriptors();
  const int threads = Threads();
  for (std::size_t capacity :
       {std::size_t{1}, std::size_t{2}, std::size_t{7}, std::size_t{300}, total / 2, total - 1}) {
    SCOPED_TRACE("capacity " + std::to_string(capacity));
    int mostThreads = 0;
    TWatchingSink sink([&](std::string_view) { mostThreads = std::max(mostThreads, Threads()); },
                       capacity);
    TPosixDirSource source(Mode(TReadAheadMode::kAlways));
    TStatusRecorder status;
    EXPECT_THROW(RunOutputCommand(tree_->Root(), sink, status, source), ELineInsertionError);
    EXPECT_EQ(sink.Lines().size(), capacity);
    EXPECT_EQ(Threads(), threads);
    EXPECT_EQ(OpenDescriptors(), descriptors);
    if (capacity > 2) {
      EXPECT_GT(mostThreads, threads) << "the read-ahead never ran";
    }
  }
}

// When the walk reaches the chosen folder's first folder, every folder of the chosen one has been
// read ahead; then two are swapped, one is deleted and one is replaced by a new folder. The walk
// must list each as it is now, exactly as a walk without read-ahead that meets the same changes.
TEST(ReadAheadChangesTest, FolderChangedAfterReadAheadIsListedAsItIsNow) {
  const auto listWithChanges = [](TReadAheadMode mode) {
    TTempTree tree;
    for (const char* name : {"a", "b", "c", "d"}) {
      tree.Folder(name);
      tree.File(std::string(name) + "/in-" + name);
    }
    std::mutex mutex;
    std::condition_variable readAhead;
    int foldersRead = 0;
    TPosixDirOptions options = Mode(mode);
    options.afterReadAhead = [&] {
      std::lock_guard lock(mutex);
      ++foldersRead;
      readAhead.notify_all();
    };
    bool changed = false;
    TWatchingSink sink([&](std::string_view line) {
      if (changed || !line.starts_with("├文件夹")) return;
      changed = true;
      if (mode == TReadAheadMode::kAlways) {
        std::unique_lock lock(mutex);
        EXPECT_TRUE(
            readAhead.wait_for(lock, std::chrono::seconds(30), [&] { return foldersRead == 4; }));
      }
      const auto check = [](int result) { ASSERT_EQ(result, 0) << std::strerror(errno); };
      // The new d may get the old one's inode number; time must pass for it to differ at all.
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      check(std::rename(tree.Path("a").c_str(), tree.Path("swap").c_str()));
      check(std::rename(tree.Path("b").c_str(), tree.Path("a").c_str()));
      check(std::rename(tree.Path("swap").c_str(), tree.Path("b").c_str()));
      check(std::remove(tree.Path("c/in-c").c_str()));
      check(::rmdir(tree.Path("c").c_str()));
      check(std::remove(tree.Path("d/in-d").c_str()));
      check(::rmdir(tree.Path("d").c_str()));
      tree.Folder("d");
      tree.File("d/new");
    });
    TPosixDirSource source(std::move(options));
    TStatusRecorder status;
    RunOutputCommand(tree.Root(), sink, status, source);
    std::vector<TRecordedLine> lines = sink.Lines();
    lines.erase(lines.begin());  // the heading names the temporary folder
    return lines;
  };
  const auto alone = listWithChanges(TReadAheadMode::kNever);
  const auto ahead = listWithChanges(TReadAheadMode::kAlways);
  EXPECT_EQ(ahead, alone);
  // Whichever folder came first was entered after the changes, as were the others.
  std::vector<std::string> texts;
  for (const auto& line : alone) texts.push_back(line.text);
  const auto has = [&](const std::string& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
  };
  EXPECT_TRUE(has("│  ├(1)in-b") && has("│  ├(1)in-a") && has("│  ├(1)new"));
  EXPECT_FALSE(has("│  ├(1)in-c") || has("│  ├(1)in-d"));
}

}  // namespace
}  // namespace kestrova::testing
