// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
// The folder tree's reading threads: every reading's rows under its own ticket, stopping with the
// reader, and a reading that hangs holding up neither the reader's end nor anything after it.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "folderReader.h"

namespace kestrova::tree {
namespace {

using namespace std::chrono_literals;

// Counts the reader's calls of `ready` and lets a test wait for them.
struct TReadyCount {
  std::mutex mutex;
  std::condition_variable changed;
  int count = 0;

  std::function<void()> Callback() {
    return [this] {
      const std::lock_guard lock(mutex);
      ++count;
      changed.notify_all();
    };
  }
  bool WaitFor(int wanted) {
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, 30s, [&] { return count >= wanted; });
  }
  int Count() {
    const std::lock_guard lock(mutex);
    return count;
  }
};

// A gate that a job waits at, ignoring any request to stop, as a read on a hung mount does.
struct TGate {
  std::mutex mutex;
  std::condition_variable changed;
  bool open = false;
  bool passed = false;

  void Wait() {
    std::unique_lock lock(mutex);
    changed.wait(lock, [&] { return open; });
    passed = true;
    changed.notify_all();
  }
  void Open() {
    const std::lock_guard lock(mutex);
    open = true;
    changed.notify_all();
  }
  bool WaitPassed() {
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, 30s, [&] { return passed; });
  }
};

TFolderRows RowsFor(int reading) {
  TFolderRows rows;
  for (int i = 0; i < reading % 5 + 1; ++i) {
    rows.push_back({"/r" + std::to_string(reading) + "/" + std::to_string(i), std::to_string(i)});
  }
  return rows;
}

TEST(FolderReaderTest, EveryReadingsRowsArriveUnderItsTicketInTheJobsOrder) {
  TReadyCount ready;
  TFolderReader reader(ready.Callback());
  constexpr int kReadings = 24;
  std::map<TFolderReader::TTicket, int> readingOf;
  for (int reading = 0; reading < kReadings; ++reading) {
    const auto ticket = reader.Start([reading](std::stop_token) {
      std::this_thread::sleep_for(std::chrono::microseconds((reading * 7919) % 3000));
      return RowsFor(reading);
    });
    EXPECT_TRUE(readingOf.emplace(ticket, reading).second) << "tickets are unique";
  }
  // Taking while readings still finish, as the window does when it hears of each.
  std::map<TFolderReader::TTicket, TFolderRows> taken;
  while (taken.size() < kReadings) {
    ASSERT_TRUE(ready.WaitFor(static_cast<int>(taken.size()) + 1));
    for (auto& [ticket, rows] : reader.TakeFinished()) {
      EXPECT_TRUE(taken.emplace(ticket, std::move(rows)).second) << "each reading once";
    }
  }
  for (const auto& [ticket, rows] : taken) {
    ASSERT_TRUE(readingOf.contains(ticket));
    const TFolderRows expected = RowsFor(readingOf[ticket]);
    ASSERT_EQ(rows.size(), expected.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
      EXPECT_EQ(rows[i].path, expected[i].path);
      EXPECT_EQ(rows[i].shown, expected[i].shown);
    }
  }
  EXPECT_EQ(ready.Count(), kReadings);
  EXPECT_TRUE(reader.TakeFinished().empty());
}

TEST(FolderReaderTest, AFailingJobFindsNothing) {
  TReadyCount ready;
  TFolderReader reader(ready.Callback());
  const auto ticket =
      reader.Start([](std::stop_token) -> TFolderRows { throw std::runtime_error("gone"); });
  ASSERT_TRUE(ready.WaitFor(1));
  const auto finished = reader.TakeFinished();
  ASSERT_EQ(finished.size(), 1u);
  EXPECT_EQ(finished[0].first, ticket);
  EXPECT_TRUE(finished[0].second.empty());
}

// Readings that heed the request to stop have all ended when the reader's destructor returns, and
// none of them reports to the reader's owner any more.
TEST(FolderReaderTest, DestroyingTheReaderStopsEveryReadingAndWaitsForIt) {
  TReadyCount ready;
  auto ended = std::make_shared<std::atomic<int>>(0);
  constexpr int kReadings = 8;
  {
    TFolderReader reader(ready.Callback());
    for (int reading = 0; reading < kReadings; ++reading) {
      reader.Start([ended](std::stop_token stop) {
        while (!stop.stop_requested()) std::this_thread::sleep_for(1ms);
        ended->fetch_add(1);
        return TFolderRows{{"/late", "late"}};
      });
    }
    std::this_thread::sleep_for(20ms);
  }
  EXPECT_EQ(ended->load(), kReadings);
  EXPECT_EQ(ready.Count(), 0);
}

// A reading stuck in the kernel cannot be stopped: the reader gives up waiting for it, and when it
// does end, later, it touches nothing that went with the reader (the sanitizers would see it).
TEST(FolderReaderTest, AHungReadingHoldsUpNeitherTheReadersEndNorAnythingAfter) {
  auto gate = std::make_shared<TGate>();
  TReadyCount ready;
  auto reader = std::make_unique<TFolderReader>(ready.Callback());
  reader->Start([gate](std::stop_token) {
    gate->Wait();
    return TFolderRows{{"/hung", "hung"}};
  });
  TReadyCount otherReady;
  {
    // Other readings go on while one hangs.
    TFolderReader other(otherReady.Callback());
    other.Start([](std::stop_token) { return TFolderRows{{"/fine", "fine"}}; });
    ASSERT_TRUE(otherReady.WaitFor(1));
  }
  reader.reset();  // returns though the reading is still stuck

  gate->Open();
  ASSERT_TRUE(gate->WaitPassed());
  std::this_thread::sleep_for(50ms);  // let the reading finish off after its job
  EXPECT_EQ(ready.Count(), 0);
}

}  // namespace
}  // namespace kestrova::tree
