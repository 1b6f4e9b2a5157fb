// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#pragma once

#include <time.h>

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <thread>
#include <vector>

#include "folderIdSet.h"
#include "uniqueFd.h"

namespace kestrova::posix {

struct TReadAheadLimits {
  std::size_t descriptors = 0;  // held by the read-ahead at once, in flight included
  std::size_t folders = 0;      // read or being read and not yet entered by the walk
  std::size_t bytes = 0;        // of records read and not yet entered by the walk
  std::size_t workers = 0;
};

// A folder that the read-ahead knows of. Everything but `records`, `size`, `id`, `changed` and
// `holdsFolders` belongs to the read-ahead's lock; those are written once, before the folder is
// published as ready, and only read afterwards.
struct TAheadFolder {
  enum class TState { kReading, kReady, kFailed };

  TAheadFolder* parent = nullptr;
  std::size_t record = 0;  // where its record starts among the parent's
  TState state = TState::kReading;
  TFolderId id;
  timespec changed{};  // the folder's ctime when it was read: a new entry or a new folder on a
                       // reused inode number changes it
  std::unique_ptr<char[]> records;
  std::size_t size = 0;
  bool holdsFolders = false;  // a real folder that the walk will enter

  TUniqueFd fd;           // held while folders of its own may still be read ahead from it
  std::size_t scan = 0;   // the first of its records not yet looked at for such folders
  int users = 0;          // workers opening a folder of its own through `fd`
  bool inWindow = false;  // counts against the read-ahead's distance
  bool abandoned = false;
  bool queued = false;   // picked and waiting for a worker to start on it
  bool dry = false;      // nothing below it can be started until a folder below is read
  bool trivial = false;  // in the walk's branch with nothing to read ahead from: the walk's alone
  std::deque<std::unique_ptr<TAheadFolder>> children;  // read ahead or being read, in order
};

// Worker threads that open and read the folders the walk will enter next, in the order it will
// enter them, at most a bounded distance ahead, and hand them over in that order. The walk tells
// it which folders it is in (Push, Pop) and asks for the folder it is about to enter (Take); all
// of these calls come from the walk's one thread. Only real folders that the walk enters are read
// ahead; the walk checks every folder handed over against the one it opens itself.
class TReadAhead {
 public:
  TReadAhead(TReadAheadLimits limits, std::function<void()> afterRead);
  TReadAhead(const TReadAhead&) = delete;
  TReadAhead& operator=(const TReadAhead&) = delete;
  // Stops every worker, waits for each one to finish the read it is in, and closes everything.
  ~TReadAhead();

  // The walk now searches a folder that it has read itself: its records from where the walk
  // stands, and its descriptor (-1 if closed), which is duplicated if the read-ahead needs one.
  // `waited` tells whether the walk's read had to wait for the disk, when it has just read it.
  // Drops what Take gave, unless it was kept.
  void PushFolder(const char* records, std::size_t size, int fd, std::optional<bool> waited);
  void PopFolder();

  // The folder that the record [record, recordEnd) of the deepest folder names, if it has been
  // read ahead: valid until the next call. Waits while a worker is reading it, calling
  // `beforeWait` first. Null when it was not read ahead, or could not be; the walk then reads it
  // itself and the read-ahead never will. The walk enters the folder given by calling Keep; any
  // other call drops it.
  const TAheadFolder* Take(std::size_t record, std::size_t recordEnd,
                           const std::function<void()>& beforeWait);
  void Keep() { tentative_ = false; }

  // The reads of late have all been quick: the folders are in the caches, and reading ahead costs
  // more than it saves.
  bool Idle() const { return idle_.load(std::memory_order_relaxed); }

 private:
  void Work();
  TAheadFolder* PickLocked();
  TAheadFolder* SearchLocked(TAheadFolder& folder);
  void AddWorkerLocked();
  void DispatchLocked();
  void NoteReadLocked(bool waited);
  void PushLocked(std::unique_ptr<TAheadFolder> folder);
  void PopLocked();
  void DropTentativeLocked();
  void DiscardLocked(std::unique_ptr<TAheadFolder> folder);
  void LeaveWindowLocked(TAheadFolder& folder);
  void CloseIfDoneLocked(TAheadFolder& folder);
  void ReleaseLocked(TAheadFolder& folder);

  TReadAheadLimits limits_;
  const std::function<void()> afterRead_;

  std::mutex mutex_;
  std::condition_variable work_;   // workers wait here for a folder to read
  std::condition_variable ready_;  // the walk waits here for the folder it is about to enter
  bool stop_ = false;
  // The walk's branch, deepest last: only the walk's thread adds to it or takes from it.
  std::vector<std::unique_ptr<TAheadFolder>> anchors_;
  std::vector<TAheadFolder*> live_;  // anchors that may still lead to reading, deepest last
  bool tentative_ = false;  // the deepest anchor is what Take gave, not yet kept; the walk's own
  const TAheadFolder* awaited_ = nullptr;  // the folder the walk waits for
  std::deque<TAheadFolder*> jobs_;         // picked for workers that have yet to wake up
  std::vector<std::unique_ptr<TAheadFolder>> orphans_;  // dropped while a worker still uses them
  std::size_t window_ = 0;
  std::size_t bytes_ = 0;
  std::size_t descriptors_ = 0;
  std::uint32_t history_ = 0;  // one bit per recent read: it waited for the disk
  std::size_t reads_ = 0;
  std::size_t waitingWorkers_ = 0;
  std::atomic<bool> idle_ = false;
  std::vector<std::thread> workers_;
};

}  // namespace kestrova::posix
