// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#pragma once

#include <string>
#include <string_view>

namespace kestrova {

// Appends a file name or path, raw bytes as the file system holds them, as text that is safe to
// show on one line: valid UTF-8 is kept; every control character (C0, DEL and C1) and every byte
// that is not part of a valid UTF-8 sequence is written as \xHH with upper-case hex digits.
void AppendDisplayText(std::string& out, std::string_view raw);

std::string DisplayText(std::string_view raw);

}  // namespace kestrova
