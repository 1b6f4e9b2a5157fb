// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#include "displayText.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace kestrova {
namespace {

void AppendEscaped(std::string& out, unsigned char byte) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  const char escaped[] = {'\\', 'x', kHex[byte >> 4], kHex[byte & 0x0F]};
  out.append(escaped, sizeof escaped);
}

bool InRange(unsigned char byte, unsigned char low, unsigned char high) {
  return byte >= low && byte <= high;
}

// The bytes that stand for themselves: printable ASCII but the backslash. One look-up a byte, for
// the runs of them that make up most names.
constexpr auto kPlainBytes = [] {
  std::array<bool, 256> plain{};
  for (int byte = 0x20; byte <= 0x7E; ++byte) plain[byte] = byte != '\\';
  return plain;
}();

// Length of the well-formed UTF-8 sequence starting at raw[at], or 0 when there is none
// (overlong forms, surrogates and code points past U+10FFFF are not well-formed).
std::size_t SequenceLength(std::string_view raw, std::size_t at) {
  const auto byte = [&](std::size_t i) {
    return at + i < raw.size() ? static_cast<unsigned char>(raw[at + i]) : 0;
  };
  const unsigned char lead = byte(0);
  unsigned char secondLow = 0x80, secondHigh = 0xBF;
  std::size_t length = 0;
  if (InRange(lead, 0xC2, 0xDF)) {
    length = 2;
  } else if (InRange(lead, 0xE0, 0xEF)) {
    length = 3;
    if (lead == 0xE0) secondLow = 0xA0;
    if (lead == 0xED) secondHigh = 0x9F;
  } else if (InRange(lead, 0xF0, 0xF4)) {
    length = 4;
    if (lead == 0xF0) secondLow = 0x90;
    if (lead == 0xF4) secondHigh = 0x8F;
  } else {
    return 0;
  }
  if (!InRange(byte(1), secondLow, secondHigh)) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (!InRange(byte(i), 0x80, 0xBF)) return 0;
  }
  return length;
}

// Valid characters that are shown escaped all the same: C1 controls (U+0080 to U+009F) include
// CSI, which some terminals obey; the bidirectional formatting characters reorder what follows
// them, so that "photo\u202Egnp.exe" reads as "photoexe.png".
bool MustEscape(std::string_view sequence) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(sequence[i]); };
  if (sequence.size() == 2) {
    return (byte(0) == 0xC2 && byte(1) < 0xA0) ||  // U+0080 to U+009F
           (byte(0) == 0xD8 && byte(1) == 0x9C);   // U+061C arabic letter mark
  }
  if (sequence.size() != 3 || byte(0) != 0xE2) return false;
  if (byte(1) == 0x80) {
    // U+200E and U+200F, the direction marks; U+202A to U+202E, embeddings and overrides.
    return byte(2) == 0x8E || byte(2) == 0x8F || InRange(byte(2), 0xAA, 0xAE);
  }
  return byte(1) == 0x81 && InRange(byte(2), 0xA6, 0xA9);  // U+2066 to U+2069: isolates
}

}  // namespace

void AppendDisplayText(std::string& out, std::string_view raw) {
  std::size_t at = 0;
  while (at < raw.size()) {
    // Most names are printable ASCII: copy such runs in one go.
    std::size_t run = at;
    while (run < raw.size() && kPlainBytes[static_cast<unsigned char>(raw[run])]) ++run;
    out.append(raw.data() + at, run - at);
    at = run;
    if (at == raw.size()) break;

    const auto lead = static_cast<unsigned char>(raw[at]);
    if (lead < 0x80) {
      // A backslash is doubled, so that a name's own never reads as the start of an escape.
      if (lead == '\\') {
        out.append("\\\\");
      } else {
        AppendEscaped(out, lead);
      }
      at += 1;
      continue;
    }
    const std::size_t length = SequenceLength(raw, at);
    if (length == 0) {
      AppendEscaped(out, lead);
      at += 1;
    } else if (lead <= 0xE2 && MustEscape(raw.substr(at, length))) {
      for (std::size_t i = 0; i < length; ++i) {
        AppendEscaped(out, static_cast<unsigned char>(raw[at + i]));
      }
      at += length;
    } else {
      out.append(raw.data() + at, length);
      at += length;
    }
  }
}

std::string DisplayText(std::string_view raw) {
  std::string out;
  out.reserve(raw.size());
  AppendDisplayText(out, raw);
  return out;
}

}  // namespace kestrova
