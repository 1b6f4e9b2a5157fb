// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

#include "dirSource.h"

namespace kestrova {

// The directory search of a POSIX system, reading entries with getdents64 and opening every
// folder relative to its parent, so that neither PATH_MAX nor the descriptor limit bounds depth.
class TPosixDirSource final : public TDirSource {
 public:
  // At most this many folders of one branch are held open at once; deeper levels close the
  // shallowest ones and reopen them on the way back if they still have folders to enter.
  // 0 picks a share of the process's descriptor limit.
  explicit TPosixDirSource(std::size_t maxOpenFolders = 0) : maxOpenFolders_(maxOpenFolders) {}

  std::unique_ptr<TDirBranch> Open(std::string_view path) override;

 private:
  std::size_t maxOpenFolders_;
};

// Whether `path` names an existing folder, following links.
bool IsExistingFolder(std::string_view path);

}  // namespace kestrova
