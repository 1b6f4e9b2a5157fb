// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#include "posixDirSource.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "folderIdSet.h"
#include "folderRecords.h"
#include "readAhead.h"
#include "uniqueFd.h"

namespace kestrova {
namespace {

using posix::TFolderId;

// O_DIRECTORY makes the open fail rather than block when an entry has been swapped for a FIFO.
constexpr int kOpenFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY;
constexpr std::size_t kMostOpenFolders = 256;
// How far the read-ahead may run ahead of the walk, and with how many threads.
constexpr std::size_t kAheadFolders = 2048;
constexpr std::size_t kAheadBytes = 16 * 1024 * 1024;
constexpr std::size_t kMostWorkers = 16;
// Reading ahead starts when this many of the walk's last eight timed reads waited for the disk:
// one slow read alone may be the scheduler's doing on a busy machine.
constexpr int kWaitsToStart = 6;

enum class TKind : unsigned char { kFile, kFolder, kLinkedFolder };

struct TLevel {
  TUniqueFd fd;  // closed while deeper levels hold the branch's share of descriptors
  TFolderId id;
  std::size_t nameRecord;  // the folder's record among its parent's, to reopen it by name
  std::size_t begin;       // its records in the arena: [begin, end), next one at `next`
  std::size_t next;
  std::size_t end;
  std::size_t lastRecord = 0;  // the entry NextEntry yielded last
  TKind lastKind = TKind::kFile;
  std::size_t aheadBase = 0;  // where the read-ahead's copy of its records starts in the arena
  bool unopened = false;      // entered from its records read ahead, and not opened since
};

std::optional<TFolderId> IdentityOf(int fd, timespec* changed = nullptr) {
  struct stat status;
  if (::fstat(fd, &status) != 0) return std::nullopt;
  if (changed != nullptr) *changed = status.st_ctim;
  return TFolderId{status.st_dev, status.st_ino};
}

// Whether the folder read ahead is still the one the name leads to now, unchanged since: the same
// folder, as the walk would have read it on getting there.
bool StillTheSame(const posix::TAheadFolder& ahead, TFolderId id, timespec changed) {
  return ahead.id == id && ahead.changed.tv_sec == changed.tv_sec &&
         ahead.changed.tv_nsec == changed.tv_nsec;
}

class TPosixBranch final : public TDirBranch {
 public:
  TPosixBranch(std::string path, TPosixDirOptions options, std::size_t maxOpen)
      : rootPath_(std::move(path)),
        options_(std::move(options)),
        maxOpenTotal_(maxOpen),
        maxOpen_(maxOpen) {}

  bool OpenRoot() {
    TUniqueFd fd = OpenFolderAt(AT_FDCWD, rootPath_.c_str());
    if (!fd) return false;
    const auto id = IdentityOf(fd.Get());
    if (!id) return false;
    const std::size_t begin = arena_.Size();
    arena_.AppendFolder(fd.Get());
    Push(std::move(fd), *id, 0, begin);
    if (options_.readAhead == TReadAheadMode::kAlways) StartReadingAhead();
    return true;
  }

  bool NextEntry(TDirEntry& entry) override {
    TLevel& level = levels_.back();
    for (;;) {
      if (level.next >= level.end) return false;
      const std::size_t at = level.next;
      const posix::TRecord record = posix::ReadRecord(arena_.Data() + at);
      level.next += record.length;
      // Some file systems give "." and ".." no type, and a folder that can be read but not
      // searched gives no way to ask: they would show as files.
      if (posix::IsSelfOrParent(record.name)) continue;
      level.lastRecord = at;
      level.lastKind = Classify(record);
      entry.name = std::string_view(record.name);
      entry.isFolder = level.lastKind != TKind::kFile;
      return true;
    }
  }

  bool EnterFolder() override {
    if (!EnsureOpen()) return false;
    const std::size_t depth = levels_.size() - 1;
    const std::size_t record = levels_[depth].lastRecord;
    const TKind kind = levels_[depth].lastKind;

    const posix::TAheadFolder* ahead = nullptr;
    if (ahead_ && options_.readAhead != TReadAheadMode::kAlways && ahead_->Idle()) {
      StopReadingAhead();
    }
    if (ahead_) {
      const std::size_t base = levels_[depth].aheadBase;
      ahead = ahead_->Take(record - base, levels_[depth].next - base, options_.beforeWait);
    }
    if (!ahead && options_.beforeWait) options_.beforeWait();
    if (ahead && !ahead->holdsFolders && EnterLeaf(*ahead, record)) return true;

    // Timing each read would cost more than it tells: alone, the walk times one read in sixteen.
    const bool timed = ahead_ || (++ownReads_ & 15) == 0;
    const auto start =
        timed ? std::chrono::steady_clock::now() : std::chrono::steady_clock::time_point();
    TUniqueFd fd =
        OpenFolderAt(levels_[depth].fd.Get(), arena_.Data() + record + posix::kRecordNameOffset);
    if (!ahead_) ahead = nullptr;  // given back for want of descriptors
    if (!fd) return false;
    timespec changed{};
    const auto id = IdentityOf(fd.Get(), &changed);
    if (!id || ancestry_.Contains(*id)) return false;
    // Links on Linux make webs (/proc, /sys): each folder is walked through a link once only.
    if (kind == TKind::kLinkedFolder && !linkWalked_.Insert(*id)) return false;

    const std::size_t begin = arena_.Size();
    if (ahead && StillTheSame(*ahead, *id, changed)) {
      arena_.Append(ahead->records.get(), ahead->size);
      ahead_->Keep();
    } else {
      arena_.AppendFolder(fd.Get());
      std::optional<bool> waited;
      if (timed) {
        const auto elapsed = std::chrono::steady_clock::now() - start;
        waited =
            diskWaits_.Waited(std::chrono::duration_cast<std::chrono::nanoseconds>(elapsed).count(),
                              arena_.Size() - begin);
      }
      if (ahead_) {
        ahead_->PushFolder(arena_.Data() + begin, arena_.Size() - begin, fd.Get(), waited);
      } else if (waited) {
        ownWaits_ = static_cast<std::uint8_t>((ownWaits_ << 1) | (*waited ? 1 : 0));
        ++timedReads_;
      }
    }
    Push(std::move(fd), *id, record, begin);
    if (!ahead_ && options_.readAhead == TReadAheadMode::kAdaptive && aheadAllowed_ &&
        timedReads_ >= 8 && std::popcount(ownWaits_) >= kWaitsToStart) {
      StartReadingAhead();
    }
    return true;
  }

  // A folder read ahead that holds no folder to enter is checked by name alone, and not opened
  // unless a link or an entry of no known type in it needs asking about: most folders are such.
  bool EnterLeaf(const posix::TAheadFolder& ahead, std::size_t record) {
    struct stat status;
    if (::fstatat(levels_.back().fd.Get(), arena_.Data() + record + posix::kRecordNameOffset,
                  &status, 0) != 0) {
      return false;
    }
    const TFolderId id{status.st_dev, status.st_ino};
    if (!StillTheSame(ahead, id, status.st_ctim) || ancestry_.Contains(id)) return false;
    const std::size_t begin = arena_.Size();
    arena_.Append(ahead.records.get(), ahead.size);
    ahead_->Keep();
    levels_.push_back({TUniqueFd(), id, record, begin, begin, arena_.Size()});
    levels_.back().aheadBase = begin;
    levels_.back().unopened = true;
    ancestry_.Insert(id);
    return true;
  }

  void LeaveFolder() override {
    TLevel& leaving = levels_.back();
    ancestry_.Erase(leaving.id);
    TUniqueFd below = std::move(leaving.fd);
    if (below) --openCount_;
    arena_.Truncate(leaving.begin);
    levels_.pop_back();
    if (ahead_) ahead_->PopFolder();
    if (levels_.empty()) return;
    lowestOpen_ = std::min(lowestOpen_, levels_.size());
    TLevel& level = levels_.back();
    if (level.fd || !below || level.next >= level.end) return;
    // Back up one step through "..", rather than down from the top one step per level. A folder
    // entered through a link leads elsewhere; EnsureOpen then takes the long way when needed.
    TUniqueFd up(::openat(below.Get(), "..", kOpenFlags));
    if (up && IdentityOf(up.Get()) == level.id) {
      level.fd = std::move(up);
      ++openCount_;
      lowestOpen_ = levels_.size() - 1;
    }
  }

 private:
  void Push(TUniqueFd fd, TFolderId id, std::size_t nameRecord, std::size_t begin) {
    levels_.push_back({std::move(fd), id, nameRecord, begin, begin, arena_.Size()});
    if (ahead_) levels_.back().aheadBase = begin;
    ancestry_.Insert(id);
    ++openCount_;
    KeepWithinBudget();
  }

  TKind Classify(const posix::TRecord& record) {
    switch (record.type) {
      case DT_DIR:
        return TKind::kFolder;
      case DT_LNK:
        return TargetIsFolder(record.name) ? TKind::kLinkedFolder : TKind::kFile;
      case DT_UNKNOWN: {
        // The file system does not say: ask it about the entry, and about a link's target.
        struct stat status;
        if (!EnsureOpen()) return TKind::kFile;
        if (options_.beforeWait) options_.beforeWait();
        if (::fstatat(levels_.back().fd.Get(), record.name, &status, AT_SYMLINK_NOFOLLOW) != 0) {
          return TKind::kFile;
        }
        if (S_ISDIR(status.st_mode)) return TKind::kFolder;
        if (S_ISLNK(status.st_mode) && TargetIsFolder(record.name)) return TKind::kLinkedFolder;
        return TKind::kFile;
      }
      default:
        return TKind::kFile;
    }
  }

  bool TargetIsFolder(const char* name) {
    struct stat status;
    if (!EnsureOpen()) return false;
    if (options_.beforeWait) options_.beforeWait();
    return ::fstatat(levels_.back().fd.Get(), name, &status, 0) == 0 && S_ISDIR(status.st_mode);
  }

  // The open levels are always the deepest ones, [lowestOpen_, deepest]: closing the shallowest
  // is one step, and so is reopening on the way back up.
  void KeepWithinBudget() {
    while (openCount_ > maxOpen_ && lowestOpen_ + 1 < levels_.size()) {
      levels_[lowestOpen_].fd.Reset();
      --openCount_;
      ++lowestOpen_;
    }
  }

  // Opens the deepest level if it is closed: then every level is. Reopens from the chosen folder's
  // path, one name at a time, and checks that each folder reached is still the one walked before:
  // a renamed or replaced folder is not searched.
  bool EnsureOpen() {
    const std::size_t index = levels_.size() - 1;
    if (levels_[index].fd) return true;
    if (options_.beforeWait) options_.beforeWait();
    if (levels_[index].unopened && levels_[index - 1].fd) {
      levels_[index].unopened = false;
      TUniqueFd fd =
          OpenFolderAt(levels_[index - 1].fd.Get(),
                       arena_.Data() + levels_[index].nameRecord + posix::kRecordNameOffset);
      if (!fd || IdentityOf(fd.Get()) != levels_[index].id) return false;
      levels_[index].fd = std::move(fd);
      ++openCount_;
      KeepWithinBudget();
      return true;
    }
    TUniqueFd reached = OpenFolderAt(AT_FDCWD, rootPath_.c_str());
    if (!reached || IdentityOf(reached.Get()) != levels_[0].id) return false;
    for (std::size_t i = 1; i <= index; ++i) {
      TUniqueFd next = OpenFolderAt(
          reached.Get(), arena_.Data() + levels_[i].nameRecord + posix::kRecordNameOffset);
      if (!next || IdentityOf(next.Get()) != levels_[i].id) return false;
      reached = std::move(next);
    }
    levels_[index].fd = std::move(reached);
    ++openCount_;
    lowestOpen_ = index;
    return true;
  }

  // openat, but a shortage of descriptors is met by giving back those the branch can spare, and
  // only when there are none left to give is it an error.
  TUniqueFd OpenFolderAt(int base, const char* name) {
    for (;;) {
      TUniqueFd fd(::openat(base, name, kOpenFlags));
      if (fd || (errno != EMFILE && errno != ENFILE)) return fd;
      const int error = errno;
      if (!GiveBackDescriptor(base)) throw EOutOfDescriptors(error);
    }
  }

  bool GiveBackDescriptor(int base) {
    if (ahead_) {
      StopReadingAhead();
      aheadAllowed_ = false;
      return true;
    }
    if (lowestOpen_ + 1 >= levels_.size() || levels_[lowestOpen_].fd.Get() == base) return false;
    levels_[lowestOpen_].fd.Reset();
    --openCount_;
    ++lowestOpen_;
    // The process has no more to give: keep to what the branch holds now.
    maxOpenTotal_ = maxOpen_ = std::max<std::size_t>(openCount_, 1);
    return true;
  }

  void StartReadingAhead() {
    const std::size_t share = maxOpenTotal_ / 2;
    if (share == 0) return;
    ahead_ = std::make_unique<posix::TReadAhead>(
        posix::TReadAheadLimits{share, kAheadFolders, kAheadBytes, kMostWorkers},
        options_.afterReadAhead);
    maxOpen_ = maxOpenTotal_ - share;
    KeepWithinBudget();
    for (TLevel& level : levels_) {
      level.aheadBase = level.next;
      ahead_->PushFolder(arena_.Data() + level.next, level.end - level.next,
                         level.fd ? level.fd.Get() : -1, std::nullopt);
    }
  }

  void StopReadingAhead() {
    ahead_.reset();
    maxOpen_ = maxOpenTotal_;
    ownWaits_ = 0;
    timedReads_ = 0;
  }

  const std::string rootPath_;
  const TPosixDirOptions options_;
  std::size_t maxOpenTotal_;  // the branch's descriptors, the read-ahead's share included
  std::size_t maxOpen_;       // the levels' part of it
  std::size_t openCount_ = 0;
  std::size_t lowestOpen_ = 0;
  posix::TRecordArena arena_;
  std::vector<TLevel> levels_;
  posix::TFolderIdSet ancestry_;
  posix::TFolderIdSet linkWalked_;
  std::size_t ownReads_ = 0;
  posix::TDiskWaits diskWaits_;
  std::uint8_t ownWaits_ = 0;  // one bit per recent timed read of the walk's own: it waited
  std::size_t timedReads_ = 0;
  bool aheadAllowed_ = true;
  // Last, so that it goes first: no worker outlives the branch.
  std::unique_ptr<posix::TReadAhead> ahead_;
};

std::size_t OpenDescriptors() {
  std::size_t count = 0;
  if (DIR* dir = ::opendir("/proc/self/fd")) {
    while (const dirent* entry = ::readdir(dir)) {
      if (!posix::IsSelfOrParent(entry->d_name)) ++count;
    }
    ::closedir(dir);
    if (count > 0) --count;  // the listing's own
  }
  return count;
}

std::size_t DefaultMaxOpen() {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) {
    return kMostOpenFolders;
  }
  const std::size_t open = OpenDescriptors();
  const std::size_t left = limit.rlim_cur > open ? limit.rlim_cur - open : 0;
  // A quarter of what is left leaves the rest of the process, a window with its fonts and
  // sockets, room to work.
  return std::clamp<std::size_t>(left / 4, 2, kMostOpenFolders);
}

}  // namespace

std::unique_ptr<TDirBranch> TPosixDirSource::Open(std::string_view path) {
  auto branch = std::make_unique<TPosixBranch>(
      std::string(path), options_,
      options_.maxOpenFolders > 0 ? std::max<std::size_t>(options_.maxOpenFolders, 2)
                                  : DefaultMaxOpen());
  if (!branch->OpenRoot()) {
    const int error = errno;
    branch.reset();
    errno = error;
    return nullptr;
  }
  return branch;
}

bool IsExistingFolder(std::string_view path) {
  struct stat status;
  return ::stat(std::string(path).c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

}  // namespace kestrova
