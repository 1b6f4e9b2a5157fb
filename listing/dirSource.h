// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#pragma once

#include <memory>
#include <string_view>

namespace kestrova {

struct TDirEntry {
  // Raw bytes as the file system holds them; valid until the next call on the branch.
  std::string_view name;
  // The entry's target is a folder: a folder, or a link to one.
  bool isFolder = false;
};

// The folders open along the branch being walked, deepest last. Entries come in the order in
// which the file system yields them, "." and ".." included where it has them.
class TDirBranch {
 public:
  virtual ~TDirBranch() = default;

  // Yields the deepest folder's next entry; false when it has no more.
  virtual bool NextEntry(TDirEntry& entry) = 0;
  // Opens the folder that NextEntry yielded last as the new deepest folder. False, with the branch
  // unchanged, when it cannot be searched: unreadable, vanished, or one of the folders already on
  // the branch (a link back into its own ancestry).
  virtual bool EnterFolder() = 0;
  // Closes the deepest folder. Destroying the branch closes every folder still open.
  virtual void LeaveFolder() = 0;
};

// The platform's directory search.
class TDirSource {
 public:
  virtual ~TDirSource() = default;

  // The branch holding the one folder `path`; null when `path` names no folder that can be
  // searched, with errno telling why.
  virtual std::unique_ptr<TDirBranch> Open(std::string_view path) = 0;
};

}  // namespace kestrova
