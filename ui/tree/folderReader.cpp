// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#include "folderReader.h"

#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace kestrova::tree {
namespace {

// The C library keeps the many small blocks that a reading frees (the sort keys of a big folder,
// say) unmerged in its thread's arena until a large block is next asked for there. The next thread
// to take the arena over would merge them all first, for tens of milliseconds, and the window may
// be waiting for that thread (Qt's painting hands work to threads of its own). A large block asked
// for here has them merged on the reading's own time.
void MergeFreedBlocks() {
  void* volatile block = std::malloc(64 * 1024);
  std::free(block);
}

}  // namespace

struct TFolderReader::TShared {
  std::mutex mutex;
  std::condition_variable idle;  // signalled whenever a reading ends
  std::function<void()> ready;   // emptied when the reader goes
  std::vector<std::pair<TTicket, TFolderRows>> finished;
  std::size_t running = 0;
  std::stop_source stop;
};

TFolderReader::TFolderReader(std::function<void()> ready) : shared_(std::make_shared<TShared>()) {
  shared_->ready = std::move(ready);
}

TFolderReader::~TFolderReader() {
  std::unique_lock lock(shared_->mutex);
  shared_->ready = nullptr;
  shared_->stop.request_stop();
  // A reading blocked on a hung mount cannot be interrupted; waiting for it without a bound would
  // hang the program's exit on it.
  shared_->idle.wait_for(lock, kStopWait, [&] { return shared_->running == 0; });
}

TFolderReader::TTicket TFolderReader::Start(TJob job) {
  const TTicket ticket = nextTicket_++;
  {
    const std::lock_guard lock(shared_->mutex);
    ++shared_->running;
  }
  try {
    std::thread([shared = shared_, ticket, job = std::move(job)] {
      TFolderRows rows;
      try {
        rows = job(shared->stop.get_token());
      } catch (...) {
        // A reading that fails (out of memory, say) finds nothing, like an unreadable folder.
        rows.clear();
      }
      MergeFreedBlocks();
      const std::lock_guard lock(shared->mutex);
      --shared->running;
      if (!shared->stop.stop_requested()) {
        shared->finished.emplace_back(ticket, std::move(rows));
        if (shared->ready) shared->ready();
      }
      shared->idle.notify_all();
    }).detach();
  } catch (...) {
    const std::lock_guard lock(shared_->mutex);
    --shared_->running;
    throw;
  }
  return ticket;
}

std::vector<std::pair<TFolderReader::TTicket, TFolderRows>> TFolderReader::TakeFinished() {
  const std::lock_guard lock(shared_->mutex);
  return std::exchange(shared_->finished, {});
}

}  // namespace kestrova::tree
