// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#pragma once

#include <dirent.h>
#include <sys/resource.h>
#include <sys/types.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>

#include "dirSource.h"

namespace kestrova::posix {

// Folders are read whole with getdents64 and kept as the raw records it returns.
struct TRecord {
  std::size_t length;
  unsigned char type;
  const char* name;
};

inline constexpr std::size_t kRecordNameOffset = offsetof(dirent64, d_name);

inline TRecord ReadRecord(const char* at) {
  unsigned short length = 0;
  std::memcpy(&length, at + offsetof(dirent64, d_reclen), sizeof length);
  return {length, static_cast<unsigned char>(at[offsetof(dirent64, d_type)]),
          at + kRecordNameOffset};
}

inline bool IsSelfOrParent(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Whether the records hold a real folder that the walk will enter: what reading ahead can use.
inline bool HoldsWalkedFolder(const char* records, std::size_t size) {
  for (std::size_t at = 0; at < size;) {
    const TRecord record = ReadRecord(records + at);
    if (record.type == DT_DIR && IsWalkedFolderName(record.name)) return true;
    at += record.length;
  }
  return false;
}

// Raw records, appended folder after folder and taken back by truncation, so that a walk
// allocates nothing per folder once the buffer has grown to the widest branch.
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

  void Append(const char* records, std::size_t size) {
    Reserve(size_ + size);
    if (size > 0) std::memcpy(data_.get() + size_, records, size);
    size_ += size;
  }

 private:
  static constexpr std::size_t kReadChunk = 64 * 1024;

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

// Tells the reads that waited for the disk from the others, on the one thread that makes it.
// A folder in the caches is read in a few microseconds, one on the disk in a hundred or more; but
// a virtual machine's processor may be taken away for as long, so a slow read counts only if the
// thread also went to sleep, which a read that waits for the disk does and a stolen one does not.
class TDiskWaits {
 public:
  TDiskWaits() : sleeps_(Sleeps()) {}

  bool Waited(long long nanoseconds, std::size_t bytes) {
    if (nanoseconds <= 40'000 + 4 * static_cast<long long>(bytes)) return false;
    const long sleeps = Sleeps();
    const bool slept = sleeps != sleeps_;
    sleeps_ = sleeps;
    return slept;
  }

 private:
  static long Sleeps() {
    rusage usage{};
    ::getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_nvcsw;
  }

  long sleeps_;
};

}  // namespace kestrova::posix
