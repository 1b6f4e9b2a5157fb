// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string_view>

#include "dirSource.h"

namespace kestrova {

enum class TReadAheadMode {
  kAdaptive,  // worker threads read ahead only while the walk keeps waiting for the disk
  kAlways,    // from the first folder on, whether it helps or not
  kNever,
};

struct TPosixDirOptions {
  // At most this many folders of one branch are held open at once, the read-ahead's included;
  // deeper levels close the shallowest ones and reopen them on the way back if they still have
  // entries to come. 0 picks a share of the descriptors the process has left.
  std::size_t maxOpenFolders = 0;
  TReadAheadMode readAhead = TReadAheadMode::kAdaptive;
  // Called on the walk's thread just before it may have to wait for the disk, so that whatever
  // shows the listing can bring it up to date first.
  std::function<void()> beforeWait;
  // Called on a worker thread after each folder it has read ahead.
  std::function<void()> afterReadAhead;
};

// The directory search of a POSIX system, reading entries with getdents64 and opening every
// folder relative to its parent, so that neither PATH_MAX nor the descriptor limit bounds depth.
// It never yields "." or "..". A folder reached through a link is searched the first time the
// branch's run reaches it through a link, and never again through another; real folders are
// always searched, unless they are on the branch already. When the walk waits for the disk,
// worker threads read ahead the folders it will enter next; what the walk sees does not change.
class TPosixDirSource final : public TDirSource {
 public:
  TPosixDirSource() = default;
  explicit TPosixDirSource(std::size_t maxOpenFolders) { options_.maxOpenFolders = maxOpenFolders; }
  explicit TPosixDirSource(TPosixDirOptions options) : options_(std::move(options)) {}

  // Throws EOutOfDescriptors when not even the folder itself can be opened for want of one.
  std::unique_ptr<TDirBranch> Open(std::string_view path) override;

 private:
  TPosixDirOptions options_;
};

// Whether `path` names an existing folder, following links.
bool IsExistingFolder(std::string_view path);

}  // namespace kestrova
