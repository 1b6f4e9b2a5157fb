// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kestrova::posix {

// What makes a folder the same folder, whatever path or link leads to it.
struct TFolderId {
  dev_t device = 0;
  ino_t inode = 0;

  friend bool operator==(const TFolderId&, const TFolderId&) = default;
};

// A set of folders with constant-time lookup, so that checking a branch thousands of levels deep
// for a loop costs no more than checking a shallow one. Open addressing with linear probing.
class TFolderIdSet {
 public:
  bool Contains(TFolderId id) const {
    if (slots_.empty()) return false;
    for (std::size_t i = Home(id);; i = Next(i)) {
      if (!slots_[i].used) return false;
      if (slots_[i].id == id) return true;
    }
  }

  // False when `id` was already in the set.
  bool Insert(TFolderId id) {
    if (2 * (count_ + 1) > slots_.size()) Grow();
    std::size_t i = Home(id);
    for (; slots_[i].used; i = Next(i)) {
      if (slots_[i].id == id) return false;
    }
    slots_[i] = {id, true};
    ++count_;
    return true;
  }

  void Erase(TFolderId id) {
    if (slots_.empty()) return;
    std::size_t hole = Home(id);
    for (;; hole = Next(hole)) {
      if (!slots_[hole].used) return;
      if (slots_[hole].id == id) break;
    }
    slots_[hole].used = false;
    --count_;
    // Moves later members of the probe run back into the hole, so that lookups never need
    // tombstones: a member stays only where its home lies cyclically after the hole.
    for (std::size_t i = Next(hole); slots_[i].used; i = Next(i)) {
      const std::size_t home = Home(slots_[i].id);
      const bool stays = hole < i ? (home > hole && home <= i) : (home > hole || home <= i);
      if (stays) continue;
      slots_[hole] = slots_[i];
      slots_[i].used = false;
      hole = i;
    }
  }

 private:
  struct TSlot {
    TFolderId id;
    bool used = false;
  };

  std::size_t Home(TFolderId id) const {
    std::uint64_t hash = static_cast<std::uint64_t>(id.inode) * 0x9E3779B97F4A7C15ull ^
                         static_cast<std::uint64_t>(id.device) * 0xC2B2AE3D27D4EB4Full;
    hash ^= hash >> 31;
    return static_cast<std::size_t>(hash) & (slots_.size() - 1);
  }
  std::size_t Next(std::size_t i) const { return (i + 1) & (slots_.size() - 1); }

  void Grow() {
    std::vector<TSlot> old = std::move(slots_);
    slots_.assign(old.empty() ? 64 : 2 * old.size(), TSlot{});
    count_ = 0;
    for (const TSlot& slot : old) {
      if (slot.used) Insert(slot.id);
    }
  }

  std::vector<TSlot> slots_;
  std::size_t count_ = 0;
};

}  // namespace kestrova::posix
