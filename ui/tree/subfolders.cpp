// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#include "subfolders.h"

#include "displayText.h"
#include "pathEncoding.h"
#include "posixDirSource.h"

namespace kestrova::tree {

TFolderRows ReadSubfolders(const std::string& folder, std::stop_token stop) {
  TFolderRows rows;
  TPosixDirSource source;
  const auto branch = source.Open(folder);
  if (!branch) return rows;
  TDirEntry entry;
  while (!stop.stop_requested() && branch->NextEntry(entry)) {
    if (!entry.isFolder || entry.name.starts_with('.')) continue;
    rows.push_back({JoinPath(folder, entry.name), DisplayText(entry.name)});
  }
  return rows;
}

}  // namespace kestrova::tree
