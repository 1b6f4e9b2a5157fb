// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#pragma once

#include <string>
#include <vector>

namespace kestrova::tree {

// One folder as the tree shows it.
struct TFolderRow {
  std::string path;   // full path, raw bytes as the file system holds them
  std::string shown;  // its name as the tree shows it, UTF-8
};

using TFolderRows = std::vector<TFolderRow>;

}  // namespace kestrova::tree
