// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#pragma once

#include "folderRow.h"

namespace kestrova::tree {

// Puts folders in the order a person looks for them: by their shown names, in the language's
// order, ignoring case and counting runs of digits as numbers ("2" before "10"). Safe to call on
// any thread.
void SortForPeople(TFolderRows& rows);

}  // namespace kestrova::tree
