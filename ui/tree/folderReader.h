// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <stop_token>
#include <utility>
#include <vector>

#include "folderRow.h"

namespace kestrova::tree {

// Reads folders on threads of their own, so that the thread that asks never waits for a file
// system: a slow or hung mount holds up only its own reading.
//
// Each reading runs on a detached thread that shares nothing with the asker but the reader's
// small shared state, which it co-owns. Destroying the reader asks every reading to stop and
// waits for them a short while (kStopWait); a reading still stuck in the kernel after that is
// left to end by itself, or with the process, and touches nothing of the asker when it does: its
// result is dropped and `ready` is never called again once the destructor has begun.
class TFolderReader {
 public:
  using TTicket = std::uint64_t;
  // Runs on the reading's thread: it must touch nothing but what it owns, and should return soon
  // after `stop` is requested.
  using TJob = std::function<TFolderRows(std::stop_token stop)>;

  static constexpr std::chrono::milliseconds kStopWait{500};

  // `ready` is called on a reading's thread each time a reading has finished, under the reader's
  // lock: it should only pass the news on (post an event, say) and must not call the reader.
  explicit TFolderReader(std::function<void()> ready);
  ~TFolderReader();
  TFolderReader(const TFolderReader&) = delete;
  TFolderReader& operator=(const TFolderReader&) = delete;

  // Starts `job` on a thread of its own. Throws std::system_error when no thread can be had.
  TTicket Start(TJob job);

  // The readings that have finished since the last call, in the order they finished, each with
  // the rows its job returned (none where the job failed).
  std::vector<std::pair<TTicket, TFolderRows>> TakeFinished();

 private:
  struct TShared;
  std::shared_ptr<TShared> shared_;
  TTicket nextTicket_ = 1;
};

}  // namespace kestrova::tree
