// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#pragma once

#include <string>
#include <string_view>

namespace kestrova::tree {

// `name`, an entry of the folder `folder`, as a full path.
std::string JoinPath(std::string_view folder, std::string_view name);

// The file:// URL of the absolute path `path`, naming exactly its bytes: every byte other than
// ASCII letters, digits, "-._~" and "/" is percent-encoded, so a name that is not UTF-8 survives
// and "#", "?" and "%" keep their meaning as parts of the name.
std::string FileUrl(std::string_view path);

// Text that gives `path` back when it is pasted: the path itself where it is printable UTF-8;
// otherwise, since text cannot carry such bytes, the path in the shell's $'...' quoting, with
// \xHH for every byte that is not printable UTF-8 and with "\" and "'" escaped.
std::string PastableText(std::string_view path);

}  // namespace kestrova::tree
