// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#include "lineOffsets.h"

#include <algorithm>

#include "utf8Text.h"

void TLineOffsets::Extend(const TLineView& lines, std::size_t block) {
  // Only whole blocks get a start past them, so an appended line never changes a known one.
  while (blockStarts_.size() <= block && blockStarts_.size() * kBlockLines <= lines.Count()) {
    const std::size_t first = (blockStarts_.size() - 1) * kBlockLines;
    std::size_t offset = blockStarts_.back();
    lines.ForEachText(first, first + kBlockLines,
                      [&](std::size_t, std::string_view text) { offset += Utf16Length(text) + 1; });
    blockStarts_.push_back(offset);
  }
}

std::size_t TLineOffsets::OffsetOf(const TLineView& lines, std::size_t line) {
  line = std::min(line, lines.Count());
  const std::size_t block = line / kBlockLines;
  Extend(lines, block);
  std::size_t offset = blockStarts_[block];
  lines.ForEachText(block * kBlockLines, line,
                    [&](std::size_t, std::string_view text) { offset += Utf16Length(text) + 1; });
  return offset;
}

std::size_t TLineOffsets::Length(const TLineView& lines) {
  if (lines.Count() == 0) return 0;
  return OffsetOf(lines, lines.Count() - 1) + Utf16Length(lines.Text(lines.Count() - 1));
}

TTextPosition TLineOffsets::PositionAt(const TLineView& lines, std::size_t offset) {
  if (lines.Count() == 0) return {};
  // Extends a block at a time until one starts past the offset or the lines run out.
  while (blockStarts_.back() <= offset && blockStarts_.size() * kBlockLines <= lines.Count()) {
    Extend(lines, blockStarts_.size());
  }
  const auto after = std::upper_bound(blockStarts_.begin(), blockStarts_.end(), offset);
  const auto block = static_cast<std::size_t>(after - blockStarts_.begin()) - 1;
  std::size_t start = blockStarts_[block];
  TTextPosition found{lines.Count() - 1, TTextPosition::kLineEnd};
  bool done = false;
  lines.ForEachText(block * kBlockLines, (block + 1) * kBlockLines,
                    [&](std::size_t line, std::string_view text) {
                      if (done) return;
                      const std::size_t length = Utf16Length(text);
                      if (offset <= start + length) {
                        found = {line, static_cast<int>(offset - start)};
                        done = true;
                      }
                      start += length + 1;
                    });
  if (!done) found.column = static_cast<int>(Utf16Length(lines.Text(found.line)));
  return found;
}
