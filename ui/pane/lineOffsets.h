// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#pragma once

#include <cstddef>
#include <vector>

#include "lineStore.h"
#include "textSelection.h"

// The pane's text seen as one string, its lines joined by "\n", as assistive technology sees it:
// UTF-16 offsets of lines, worked out only as far as a question needs and kept for the next one,
// so that asking about a line near the top never reads the rest, and no question builds the
// string. Valid while lines are only appended; Reset after a clear.
class TLineOffsets {
 public:
  void Reset() { blockStarts_.assign(1, 0); }
  // The offset where `line` starts (for line == Count(), one past the end of the text).
  std::size_t OffsetOf(const TLineView& lines, std::size_t line);
  // The length of the whole text.
  std::size_t Length(const TLineView& lines);
  // The line and column of `offset`; past the end, the end of the last line.
  TTextPosition PositionAt(const TLineView& lines, std::size_t offset);

 private:
  static constexpr std::size_t kBlockLines = 64;
  // Makes blockStarts_ reach block `block`, if the lines are there.
  void Extend(const TLineView& lines, std::size_t block);

  std::vector<std::size_t> blockStarts_{0};  // offset of line b * kBlockLines
};
