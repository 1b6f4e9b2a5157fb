// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#include "pathEncoding.h"

#include <cstddef>

namespace kestrova::tree {
namespace {

constexpr char kHex[] = "0123456789ABCDEF";

bool IsUnreserved(unsigned char byte) {
  return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
         (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' || byte == '~';
}

// The code point of the well-formed UTF-8 sequence at path[at] and its length; length 0 where
// there is none (a stray byte, an overlong form, a surrogate, past U+10FFFF, cut short).
struct TSequence {
  char32_t codePoint = 0;
  std::size_t length = 0;
};

TSequence DecodeAt(std::string_view path, std::size_t at) {
  const auto lead = static_cast<unsigned char>(path[at]);
  if (lead < 0x80) return {lead, 1};
  std::size_t length = 0;
  char32_t codePoint = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    codePoint = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    codePoint = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    codePoint = lead & 0x07;
  } else {
    return {};
  }
  if (at + length > path.size()) return {};
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(path[at + i]);
    if ((next & 0xC0) != 0x80) return {};
    codePoint = (codePoint << 6) | (next & 0x3F);
  }
  static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (codePoint < kSmallest[length] || codePoint > 0x10FFFF ||
      (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
    return {};
  }
  return {codePoint, length};
}

// Characters that pasted text must not carry as they are: controls, which a terminal may act on
// (a line feed runs the command), and the bidirectional formatting characters, which make the
// text read otherwise than it is.
bool IsUnpastable(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x061C || c == 0x200E || c == 0x200F ||
         (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

void AppendHexEscape(std::string& out, unsigned char byte) {
  out += "\\x";
  out += kHex[byte >> 4];
  out += kHex[byte & 0x0F];
}

}  // namespace

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (!path.ends_with('/')) path += '/';
  path += name;
  return path;
}

std::string FileUrl(std::string_view path) {
  std::string url = "file://";
  url.reserve(url.size() + path.size());
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if (IsUnreserved(byte) || byte == '/') {
      url += c;
    } else {
      url += '%';
      url += kHex[byte >> 4];
      url += kHex[byte & 0x0F];
    }
  }
  return url;
}

std::string PastableText(std::string_view path) {
  bool plain = true;
  for (std::size_t at = 0; at < path.size() && plain;) {
    const TSequence sequence = DecodeAt(path, at);
    plain = sequence.length > 0 && !IsUnpastable(sequence.codePoint);
    at += sequence.length;
  }
  if (plain) return std::string(path);

  std::string quoted = "$'";
  for (std::size_t at = 0; at < path.size();) {
    const TSequence sequence = DecodeAt(path, at);
    if (sequence.length == 0 || IsUnpastable(sequence.codePoint)) {
      // A control or bidirectional character is escaped byte by byte, like a stray byte.
      const std::size_t length = sequence.length == 0 ? 1 : sequence.length;
      for (std::size_t i = 0; i < length; ++i) {
        AppendHexEscape(quoted, static_cast<unsigned char>(path[at + i]));
      }
      at += length;
      continue;
    }
    if (path[at] == '\\' || path[at] == '\'') quoted += '\\';
    quoted.append(path.substr(at, sequence.length));
    at += sequence.length;
  }
  quoted += '\'';
  return quoted;
}

}  // namespace kestrova::tree
