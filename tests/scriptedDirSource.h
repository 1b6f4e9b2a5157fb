// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "dirSource.h"

namespace kestrova::testing {

struct TScriptedEntry {
  std::string name;
  bool isFolder = false;
};

// A file system in a table: each folder's path (its parent's path, "/", its name) maps to its
// entries in the order the search yields them. A folder missing from the table cannot be searched.
class TScriptedDirSource final : public TDirSource {
 public:
  explicit TScriptedDirSource(std::map<std::string, std::vector<TScriptedEntry>> folders)
      : folders_(std::move(folders)) {}

  std::unique_ptr<TDirBranch> Open(std::string_view path) override {
    auto branch = std::make_unique<TBranch>(*this);
    if (!branch->Enter(std::string(path))) return nullptr;
    return branch;
  }

  // Folders open right now, summed over every branch.
  int OpenSearches() const { return openSearches_; }

 private:
  class TBranch final : public TDirBranch {
   public:
    explicit TBranch(TScriptedDirSource& source) : source_(source) {}
    ~TBranch() override { source_.openSearches_ -= static_cast<int>(levels_.size()); }

    bool Enter(const std::string& path) {
      const auto folder = source_.folders_.find(path);
      if (folder == source_.folders_.end()) return false;
      levels_.push_back({path, &folder->second, 0});
      ++source_.openSearches_;
      return true;
    }
    bool NextEntry(TDirEntry& entry) override {
      TLevel& level = levels_.back();
      if (level.next == level.entries->size()) return false;
      const TScriptedEntry& scripted = (*level.entries)[level.next++];
      entry = {scripted.name, scripted.isFolder};
      return true;
    }
    bool EnterFolder() override {
      const TLevel& level = levels_.back();
      return Enter(level.path + "/" + (*level.entries)[level.next - 1].name);
    }
    void LeaveFolder() override {
      levels_.pop_back();
      --source_.openSearches_;
    }

   private:
    struct TLevel {
      std::string path;
      const std::vector<TScriptedEntry>* entries;
      std::size_t next;
    };
    TScriptedDirSource& source_;
    std::vector<TLevel> levels_;
  };

  std::map<std::string, std::vector<TScriptedEntry>> folders_;
  int openSearches_ = 0;
};

inline TScriptedEntry File(std::string name) { return {std::move(name), false}; }
inline TScriptedEntry Folder(std::string name) { return {std::move(name), true}; }

}  // namespace kestrova::testing
