// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#pragma once

#include <stop_token>
#include <string>

#include "folderRow.h"

namespace kestrova::tree {

// The subfolders of `folder` that the tree shows, in the order the file system yields them:
// folders and links to folders, leaving out those whose names begin with ".", as the listing
// leaves them out. A folder that cannot be read has none. Once `stop` is requested it returns
// what it has.
TFolderRows ReadSubfolders(const std::string& folder, std::stop_token stop = {});

}  // namespace kestrova::tree
