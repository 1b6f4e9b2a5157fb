// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#include "utf8Text.h"

#include <cstdint>

namespace {

// The bytes that one character starting with `lead` takes, and the UTF-16 units it becomes.
struct TCharSize {
  std::size_t bytes;
  std::size_t units;
};

TCharSize CharAt(std::string_view text, std::size_t at) {
  const auto lead = static_cast<std::uint8_t>(text[at]);
  std::size_t bytes = 1;
  if (lead >= 0xF0 && lead < 0xF8) {
    bytes = 4;
  } else if (lead >= 0xE0) {
    bytes = lead < 0xF0 ? 3 : 1;
  } else if (lead >= 0xC2) {
    bytes = 2;
  }
  if (at + bytes > text.size()) return {1, 1};
  for (std::size_t i = 1; i < bytes; ++i) {
    if ((static_cast<std::uint8_t>(text[at + i]) & 0xC0) != 0x80) return {1, 1};
  }
  return {bytes, bytes == 4 ? std::size_t{2} : std::size_t{1}};
}

}  // namespace

std::size_t Utf16Length(std::string_view text) {
  // Plain ASCII is the common case and one unit a byte.
  std::size_t units = 0;
  for (std::size_t at = 0; at < text.size();) {
    if (static_cast<std::uint8_t>(text[at]) < 0x80) {
      ++at;
      ++units;
      continue;
    }
    const TCharSize size = CharAt(text, at);
    at += size.bytes;
    units += size.units;
  }
  return units;
}

std::size_t ByteOffsetOfColumn(std::string_view text, std::size_t column) {
  std::size_t at = 0;
  std::size_t units = 0;
  while (at < text.size() && units < column) {
    const TCharSize size = CharAt(text, at);
    at += size.bytes;
    units += size.units;
  }
  return at;
}

std::size_t ColumnOfByteOffset(std::string_view text, std::size_t offset) {
  return Utf16Length(text.substr(0, offset));
}
