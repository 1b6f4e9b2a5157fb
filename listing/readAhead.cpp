// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#include "readAhead.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <system_error>

#include "folderRecords.h"

namespace kestrova::posix {
namespace {

constexpr int kOpenFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY;
// The read-ahead gives way once this many reads in a row have had at most kStillWaiting waits.
constexpr std::size_t kRecentReads = 16;
constexpr int kStillWaiting = 2;
constexpr int kWorkerNice = 10;

}  // namespace

TReadAhead::TReadAhead(TReadAheadLimits limits, std::function<void()> afterRead)
    : limits_(limits), afterRead_(std::move(afterRead)) {
  std::lock_guard lock(mutex_);
  AddWorkerLocked();
}

TReadAhead::~TReadAhead() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  work_.notify_all();
  for (std::thread& worker : workers_) worker.join();
}

void TReadAhead::PushFolder(const char* records, std::size_t size, int fd,
                            std::optional<bool> waited) {
  auto folder = std::make_unique<TAheadFolder>();
  folder->state = TAheadFolder::TState::kReady;
  std::lock_guard lock(mutex_);
  if (waited) NoteReadLocked(*waited);
  DropTentativeLocked();
  // Without a folder to read from it, the walk's folder is only a place in the order.
  if (fd >= 0 && descriptors_ < limits_.descriptors && HoldsWalkedFolder(records, size)) {
    folder->fd = TUniqueFd(::fcntl(fd, F_DUPFD_CLOEXEC, 0));
  }
  if (folder->fd) {
    ++descriptors_;
    folder->records = std::make_unique_for_overwrite<char[]>(size);
    std::memcpy(folder->records.get(), records, size);
    folder->size = size;
  }
  PushLocked(std::move(folder));
}

void TReadAhead::DropTentativeLocked() {
  if (!tentative_) return;
  tentative_ = false;
  PopLocked();
}

void TReadAhead::PushLocked(std::unique_ptr<TAheadFolder> folder) {
  folder->parent = nullptr;
  folder->trivial = !folder->fd && folder->children.empty();
  if (!folder->trivial) live_.push_back(folder.get());
  anchors_.push_back(std::move(folder));
  DispatchLocked();
}

void TReadAhead::PopFolder() {
  // A folder that never had anything to read ahead from is known to no worker: no lock needed.
  if (!tentative_ && anchors_.back()->trivial) {
    anchors_.pop_back();
    return;
  }
  std::lock_guard lock(mutex_);
  DropTentativeLocked();
  PopLocked();
}

void TReadAhead::PopLocked() {
  if (!live_.empty() && live_.back() == anchors_.back().get()) live_.pop_back();
  DiscardLocked(std::move(anchors_.back()));
  anchors_.pop_back();
}

const TAheadFolder* TReadAhead::Take(std::size_t record, std::size_t recordEnd,
                                     const std::function<void()>& beforeWait) {
  std::unique_lock lock(mutex_);
  DropTentativeLocked();
  TAheadFolder& anchor = *anchors_.back();
  while (!anchor.children.empty()) {
    TAheadFolder* const next = anchor.children.front().get();
    if (next->record > record) break;
    if (next->record < record) {
      // A folder the walk passed by without entering: it is no longer wanted.
      auto passed = std::move(anchor.children.front());
      anchor.children.pop_front();
      DiscardLocked(std::move(passed));
      continue;
    }
    if (next->state == TAheadFolder::TState::kReading) {
      // The walk is about to wait for the disk: one more worker keeps more reads in flight.
      AddWorkerLocked();
      if (beforeWait) {
        lock.unlock();
        beforeWait();
        lock.lock();
      }
      awaited_ = next;
      ready_.wait(lock, [next] { return next->state != TAheadFolder::TState::kReading; });
      awaited_ = nullptr;
    }
    auto taken = std::move(anchor.children.front());
    anchor.children.pop_front();
    LeaveWindowLocked(*taken);
    if (taken->state != TAheadFolder::TState::kReady) {
      DiscardLocked(std::move(taken));
      DispatchLocked();
      return nullptr;
    }
    // Pushed at once, as the walk nearly always enters what it takes; Keep confirms it.
    tentative_ = true;
    PushLocked(std::move(taken));
    return anchors_.back().get();
  }
  // The walk has caught up with the read-ahead here, and reads this folder itself.
  if (anchor.scan <= record) {
    anchor.scan = recordEnd;
    CloseIfDoneLocked(anchor);
  }
  if (std::popcount(history_ & ((1u << kRecentReads) - 1)) > kStillWaiting) AddWorkerLocked();
  return nullptr;
}

void TReadAhead::Work() {
  // The workers give way to the walk: its thread is the one part of the listing that cannot be
  // spread, and a worker waking from its read should not push it off the processor.
  ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), kWorkerNice);
  TRecordArena scratch;
  TDiskWaits diskWaits;
  std::unique_lock lock(mutex_);
  for (;;) {
    TAheadFolder* folder = PickLocked();
    if (folder == nullptr && !jobs_.empty()) {
      folder = jobs_.front();
      jobs_.pop_front();
      folder->queued = false;
    }
    if (folder == nullptr || stop_) {
      if (stop_) return;
      ++waitingWorkers_;
      work_.wait(lock);
      --waitingWorkers_;
      continue;
    }
    TAheadFolder& parent = *folder->parent;
    const int base = parent.fd.Get();
    const char* const name = parent.records.get() + folder->record + kRecordNameOffset;
    lock.unlock();

    const auto start = std::chrono::steady_clock::now();
    TUniqueFd fd(::openat(base, name, kOpenFlags));
    const int openError = errno;
    struct stat status;
    const bool opened = fd && ::fstat(fd.Get(), &status) == 0;
    scratch.Truncate(0);
    if (opened) scratch.AppendFolder(fd.Get());
    const auto elapsed = std::chrono::steady_clock::now() - start;
    std::unique_ptr<char[]> records;
    bool holdsFolders = false;
    if (opened) {
      records = std::make_unique_for_overwrite<char[]>(scratch.Size());
      if (scratch.Size() > 0) std::memcpy(records.get(), scratch.Data(), scratch.Size());
      holdsFolders = HoldsWalkedFolder(scratch.Data(), scratch.Size());
      if (!holdsFolders) fd.Reset();
    }

    const bool waited = diskWaits.Waited(
        std::chrono::duration_cast<std::chrono::nanoseconds>(elapsed).count(), scratch.Size());

    lock.lock();
    NoteReadLocked(waited);
    if (opened) {
      folder->state = TAheadFolder::TState::kReady;
      folder->id = {status.st_dev, status.st_ino};
      folder->changed = status.st_ctim;
      folder->records = std::move(records);
      folder->size = scratch.Size();
      folder->holdsFolders = holdsFolders;
      folder->scan = 0;
      if (fd) {
        folder->fd = std::move(fd);
      } else {
        --descriptors_;
        folder->scan = folder->size;
      }
      if (folder->inWindow) bytes_ += folder->size;
      // Its folders can now be read, and the search must look below it again.
      if (!folder->abandoned) {
        for (TAheadFolder* above = folder; above != nullptr; above = above->parent) {
          above->dry = false;
        }
      }
    } else {
      folder->state = TAheadFolder::TState::kFailed;
      --descriptors_;
      // Short of descriptors: the walk needs them more than the read-ahead does.
      if (openError == EMFILE || openError == ENFILE) limits_.descriptors = descriptors_;
    }
    if (awaited_ == folder) ready_.notify_one();
    if (folder->abandoned) ReleaseLocked(*folder);
    --parent.users;
    CloseIfDoneLocked(parent);
    if (parent.abandoned && parent.users == 0) ReleaseLocked(parent);
    DispatchLocked();
    if (afterRead_) {
      lock.unlock();
      afterRead_();
      lock.lock();
    }
  }
}

TAheadFolder* TReadAhead::PickLocked() {
  if (stop_ || window_ >= limits_.folders || bytes_ >= limits_.bytes ||
      descriptors_ >= limits_.descriptors) {
    return nullptr;
  }
  // The deepest folder of the walk's branch comes first: its folders are entered before the
  // remaining ones of every folder above it.
  for (std::size_t i = live_.size(); i-- > 0;) {
    TAheadFolder& anchor = *live_[i];
    if (!anchor.fd && anchor.children.empty()) {
      live_.erase(live_.begin() + static_cast<std::ptrdiff_t>(i));
      continue;
    }
    if (TAheadFolder* const folder = SearchLocked(anchor)) {
      folder->inWindow = true;
      ++window_;
      ++descriptors_;
      ++folder->parent->users;
      return folder;
    }
  }
  return nullptr;
}

// The first folder, in the order the walk will enter them, below `folder` that no one has started
// to read: within a folder's subtree, the subtrees of the folders already read come before the
// folder's next own one.
TAheadFolder* TReadAhead::SearchLocked(TAheadFolder& folder) {
  if (folder.dry) return nullptr;
  for (const auto& child : folder.children) {
    if (child->state != TAheadFolder::TState::kReady) continue;
    if (TAheadFolder* const found = SearchLocked(*child)) return found;
  }
  if (!folder.fd) {
    folder.dry = true;
    return nullptr;
  }
  while (folder.scan < folder.size) {
    const std::size_t at = folder.scan;
    const TRecord record = ReadRecord(folder.records.get() + at);
    folder.scan += record.length;
    if (record.type == DT_DIR && IsWalkedFolderName(record.name)) {
      auto child = std::make_unique<TAheadFolder>();
      child->parent = &folder;
      child->record = at;
      folder.children.push_back(std::move(child));
      return folder.children.back().get();
    }
  }
  CloseIfDoneLocked(folder);
  folder.dry = true;
  return nullptr;
}

// Wakes a waiting worker only for a folder found for it to read: on a virtual machine every
// needless wake-up costs more than the search.
void TReadAhead::DispatchLocked() {
  // Once the read-ahead has run the whole distance ahead, the workers sleep until the walk has
  // taken a good part of it: woken for every folder taken, each would read one and sleep again.
  if (4 * window_ > 3 * limits_.folders || 4 * bytes_ > 3 * limits_.bytes) return;
  while (waitingWorkers_ > jobs_.size()) {
    TAheadFolder* const folder = PickLocked();
    if (folder == nullptr) return;
    folder->queued = true;
    jobs_.push_back(folder);
    work_.notify_one();
  }
}

// Only when every worker is in a read: an idle one would have started the folder if it could.
void TReadAhead::AddWorkerLocked() {
  if (stop_ || waitingWorkers_ > jobs_.size() || workers_.size() >= limits_.workers) return;
  try {
    workers_.emplace_back([this] { Work(); });
  } catch (const std::system_error&) {
    // No thread to be had: the workers there are go on alone.
  }
}

void TReadAhead::NoteReadLocked(bool waited) {
  history_ = (history_ << 1) | (waited ? 1u : 0u);
  ++reads_;
  idle_.store(reads_ >= kRecentReads &&
                  std::popcount(history_ & ((1u << kRecentReads) - 1)) <= kStillWaiting,
              std::memory_order_relaxed);
}

void TReadAhead::DiscardLocked(std::unique_ptr<TAheadFolder> folder) {
  for (auto& child : folder->children) DiscardLocked(std::move(child));
  folder->children.clear();
  LeaveWindowLocked(*folder);
  if (folder->queued) {
    // Picked, but no worker has started on it: it is simply not read.
    jobs_.erase(std::find(jobs_.begin(), jobs_.end(), folder.get()));
    folder->queued = false;
    folder->state = TAheadFolder::TState::kFailed;
    --descriptors_;
    --folder->parent->users;
    CloseIfDoneLocked(*folder->parent);
  }
  if (folder->state == TAheadFolder::TState::kReading || folder->users > 0) {
    // A worker still reads it, or opens a folder through it: it goes when the worker is done.
    folder->abandoned = true;
    orphans_.push_back(std::move(folder));
    return;
  }
  if (folder->fd) --descriptors_;
}

void TReadAhead::LeaveWindowLocked(TAheadFolder& folder) {
  if (!folder.inWindow) return;
  folder.inWindow = false;
  --window_;
  if (folder.state == TAheadFolder::TState::kReady) bytes_ -= folder.size;
}

void TReadAhead::CloseIfDoneLocked(TAheadFolder& folder) {
  if (folder.fd && folder.scan >= folder.size && folder.users == 0) {
    folder.fd.Reset();
    --descriptors_;
  }
}

void TReadAhead::ReleaseLocked(TAheadFolder& folder) {
  if (folder.state == TAheadFolder::TState::kReading || folder.users > 0) return;
  if (folder.fd) --descriptors_;
  const auto orphan = std::find_if(orphans_.begin(), orphans_.end(),
                                   [&](const auto& held) { return held.get() == &folder; });
  if (orphan != orphans_.end()) orphans_.erase(orphan);
}

}  // namespace kestrova::posix
