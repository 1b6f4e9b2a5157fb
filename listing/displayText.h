// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#pragma once

#include <string>
#include <string_view>

namespace kestrova {

// Appends a file name or path, raw bytes as the file system holds them, as text that is safe to
// show on one line and reads as what it is: valid UTF-8 is kept; every control character (C0,
// DEL and C1), every bidirectional formatting character (U+200E, U+200F, U+061C, U+202A to
// U+202E, U+2066 to U+2069) and every byte that is not part of a valid UTF-8 sequence is written
// byte by byte as \xHH with upper-case hex digits; a backslash is written doubled, \\.
void AppendDisplayText(std::string& out, std::string_view raw);

std::string DisplayText(std::string_view raw);

}  // namespace kestrova
