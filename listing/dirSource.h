// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#pragma once

#include <memory>
#include <string_view>
#include <system_error>

namespace kestrova {

struct TDirEntry {
  // Raw bytes as the file system holds them; valid until the next call on the branch.
  std::string_view name;
  // The entry's target is a folder: a folder, or a link to one.
  bool isFolder = false;
};

// The walk enters every folder entry whose name this admits and no other: the names "." and ".."
// and every folder the user keeps out of sight (.git, .cache) begin with a full stop. A directory
// search may rely on it to read ahead the folders that will be entered.
constexpr bool IsWalkedFolderName(std::string_view name) { return !name.starts_with('.'); }

// Raised by a directory search that cannot open a folder for want of a file descriptor, having
// given back every descriptor of its own that it could: the listing cannot go on without leaving
// folders out, so it ends, and the user is told why.
class EOutOfDescriptors : public std::system_error {
 public:
  explicit EOutOfDescriptors(int error)
      : std::system_error(error, std::generic_category(),
                          "no file descriptor left to open a folder") {}
};

// The folders open along the branch being walked, deepest last. Entries come in the order in
// which the file system yields them; a search may leave out "." and "..".
class TDirBranch {
 public:
  virtual ~TDirBranch() = default;

  // Yields the deepest folder's next entry; false when it has no more.
  virtual bool NextEntry(TDirEntry& entry) = 0;
  // Opens the folder that NextEntry yielded last as the new deepest folder. False, with the branch
  // unchanged, when it is not to be searched: unreadable, vanished, one of the folders already on
  // the branch (a link back into its own ancestry), or a folder that the run has already walked
  // through another link.
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
