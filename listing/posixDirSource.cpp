// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#include "posixDirSource.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "uniqueFd.h"

namespace kestrova {
namespace {

// O_DIRECTORY makes the open fail rather than block when an entry has been swapped for a FIFO.
constexpr int kOpenFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY;
constexpr std::size_t kReadChunk = 64 * 1024;
constexpr std::size_t kMostOpenFolders = 256;

// The raw getdents64 records of every folder open on the branch, each folder's after its
// parent's, so that leaving a folder is a truncation and a walk allocates nothing per folder once
// the arena has grown to the widest branch.
class TRecordArena {
 public:
  const char* Data() const { return data_.get(); }
  std::size_t Size() const { return size_; }
  void Truncate(std::size_t size) { size_ = size; }

  // A read error (the folder was removed, say) ends the folder where it stands.
  void AppendFolder(int fd) {
    for (;;) {
      Reserve(size_ + kReadChunk);
      const ssize_t read = ::getdents64(fd, data_.get() + size_, kReadChunk);
      if (read <= 0) return;
      size_ += static_cast<std::size_t>(read);
    }
  }

 private:
  void Reserve(std::size_t capacity) {
    if (capacity <= capacity_) return;
    const std::size_t grown = std::max(capacity, capacity_ * 2);
    // Not zero-filled: the kernel writes every byte that is read back.
    auto bigger = std::make_unique_for_overwrite<char[]>(grown);
    if (size_ > 0) std::memcpy(bigger.get(), data_.get(), size_);
    data_ = std::move(bigger);
    capacity_ = grown;
  }

  std::unique_ptr<char[]> data_;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

struct TRecord {
  std::size_t length;
  unsigned char type;
  const char* name;
};

TRecord ReadRecord(const char* at) {
  unsigned short length = 0;
  std::memcpy(&length, at + offsetof(dirent64, d_reclen), sizeof length);
  return {length, static_cast<unsigned char>(at[offsetof(dirent64, d_type)]),
          at + offsetof(dirent64, d_name)};
}

struct TLevel {
  TUniqueFd fd;  // closed while deeper levels hold the branch's share of descriptors
  dev_t device;
  ino_t inode;
  std::size_t nameOffset;  // the folder's name among its parent's records, to reopen it
  std::size_t begin;       // its records in the arena: [begin, end), next one at `next`
  std::size_t next;
  std::size_t end;
  std::size_t lastName = 0;
};

class TPosixBranch final : public TDirBranch {
 public:
  explicit TPosixBranch(std::size_t maxOpen) : maxOpen_(maxOpen) {}

  bool OpenRoot(const std::string& path) {
    TUniqueFd fd(::open(path.c_str(), kOpenFlags));
    return fd && Push(std::move(fd), 0);
  }

  bool NextEntry(TDirEntry& entry) override {
    TLevel& level = levels_.back();
    if (level.next >= level.end) return false;
    const TRecord record = ReadRecord(arena_.Data() + level.next);
    level.lastName = static_cast<std::size_t>(record.name - arena_.Data());
    level.next += record.length;
    entry.name = std::string_view(record.name);
    // Links and file systems that give no type are asked about the target itself.
    entry.isFolder =
        record.type == DT_DIR || ((record.type == DT_LNK || record.type == DT_UNKNOWN) &&
                                  TargetIsFolder(levels_.size() - 1, record.name));
    return true;
  }

  bool EnterFolder() override {
    const std::size_t parent = levels_.size() - 1;
    if (!EnsureOpen(parent)) return false;
    const std::size_t nameOffset = levels_[parent].lastName;
    TUniqueFd fd(::openat(levels_[parent].fd.Get(), arena_.Data() + nameOffset, kOpenFlags));
    return fd && Push(std::move(fd), nameOffset);
  }

  void LeaveFolder() override {
    if (levels_.back().fd) --openCount_;
    arena_.Truncate(levels_.back().begin);
    levels_.pop_back();
  }

 private:
  bool Push(TUniqueFd fd, std::size_t nameOffset) {
    struct stat status;
    if (::fstat(fd.Get(), &status) != 0) return false;
    // A link, or a bind mount, that leads back to a folder on the branch would never end.
    for (const TLevel& level : levels_) {
      if (level.device == status.st_dev && level.inode == status.st_ino) return false;
    }
    const std::size_t begin = arena_.Size();
    arena_.AppendFolder(fd.Get());
    levels_.push_back(
        {std::move(fd), status.st_dev, status.st_ino, nameOffset, begin, begin, arena_.Size()});
    ++openCount_;
    KeepWithinBudget(levels_.size() - 1);
    return true;
  }

  bool TargetIsFolder(std::size_t level, const char* name) {
    struct stat status;
    return EnsureOpen(level) && ::fstatat(levels_[level].fd.Get(), name, &status, 0) == 0 &&
           S_ISDIR(status.st_mode);
  }

  // Closes the shallowest open level but the root and `keep`. Their records are already read, so
  // only the descriptor goes; EnsureOpen brings it back if a folder of theirs is entered later.
  void KeepWithinBudget(std::size_t keep) {
    if (openCount_ <= maxOpen_) return;
    for (std::size_t i = 1; i < levels_.size(); ++i) {
      if (i != keep && levels_[i].fd) {
        levels_[i].fd.Reset();
        --openCount_;
        return;
      }
    }
  }

  // Reopens level `index` from its nearest open ancestor, one name at a time, and checks that each
  // folder reached is still the one walked before: a renamed or replaced folder is not searched.
  bool EnsureOpen(std::size_t index) {
    if (levels_[index].fd) return true;
    std::size_t open = index;
    while (!levels_[open].fd) --open;  // the root is never closed
    TUniqueFd reached;
    int base = levels_[open].fd.Get();
    for (std::size_t i = open + 1; i <= index; ++i) {
      TUniqueFd next(::openat(base, arena_.Data() + levels_[i].nameOffset, kOpenFlags));
      struct stat status;
      if (!next || ::fstat(next.Get(), &status) != 0 || status.st_dev != levels_[i].device ||
          status.st_ino != levels_[i].inode) {
        return false;
      }
      reached = std::move(next);
      base = reached.Get();
    }
    levels_[index].fd = std::move(reached);
    ++openCount_;
    KeepWithinBudget(index);
    return true;
  }

  std::size_t maxOpen_;
  std::size_t openCount_ = 0;
  TRecordArena arena_;
  std::vector<TLevel> levels_;
};

std::size_t DefaultMaxOpen() {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) {
    return kMostOpenFolders;
  }
  // A quarter leaves the rest of the process, a window with its fonts and sockets, room to work.
  return std::clamp<std::size_t>(limit.rlim_cur / 4, 4, kMostOpenFolders);
}

}  // namespace

std::unique_ptr<TDirBranch> TPosixDirSource::Open(std::string_view path) {
  auto branch = std::make_unique<TPosixBranch>(
      maxOpenFolders_ > 0 ? std::max<std::size_t>(maxOpenFolders_, 2) : DefaultMaxOpen());
  if (!branch->OpenRoot(std::string(path))) return nullptr;
  return branch;
}

bool IsExistingFolder(std::string_view path) {
  struct stat status;
  return ::stat(std::string(path).c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

}  // namespace kestrova
