// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#pragma once

#include <QObject>
#include <string>

namespace kestrova::tree {

// Opens the folder `path` (raw bytes) in the desktop's file manager through xdg-open, given its
// exact bytes as a file:// URL. Returns at once; when xdg-open cannot be started or reports a
// failure, the error display says so. The launcher's process belongs to `owner`.
void OpenInFileManager(const std::string& path, QObject* owner);

}  // namespace kestrova::tree
