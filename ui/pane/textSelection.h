// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#pragma once

#include <QStringView>
#include <climits>
#include <compare>
#include <cstddef>
#include <optional>

// A place in the pane's text: a line, and a UTF-16 offset in it; kLineEnd stands for its end,
// however long the line is.
struct TTextPosition {
  static constexpr int kLineEnd = INT_MAX;
  std::size_t line = 0;
  int column = 0;
  friend auto operator<=>(const TTextPosition&, const TTextPosition&) = default;
};

// From `from` up to `to`, `from` first.
struct TTextRange {
  TTextPosition from;
  TTextPosition to;
  bool IsEmpty() const { return from >= to; }
  friend bool operator==(const TTextRange&, const TTextRange&) = default;
};

// The range between an anchor and a caret, whichever comes first.
TTextRange Ordered(TTextPosition a, TTextPosition b);

// Columns [start, end) of one line.
struct TColumns {
  int start = 0;
  int end = 0;
  friend bool operator==(const TColumns&, const TColumns&) = default;
};

// The part of line `line`, `length` units long, that `range` covers, or nothing when the range
// does not reach the line. A line the range passes through is covered whole; the lines where it
// starts and ends only from its start column and up to its end column, which may leave nothing
// of the line but its break (an empty part).
std::optional<TColumns> ClipToLine(const TTextRange& range, std::size_t line, int length);

// Words are what double-click selects and Ctrl+Left/Right step over: runs of letters, digits and
// the marks that file names are made of, so that "file-000123.txt" and "v1.2_final~" are one
// word, while the listing's brackets, parentheses, colons and box-drawing glyphs stand apart.
bool IsWordCharacter(QChar c);
// The word at `column`, or the empty range there when there is none.
TColumns WordAt(QStringView text, int column);
// Where Ctrl+Right goes from `column`: the start of the next word, or the end of the text.
int NextWordStart(QStringView text, int column);
// Where Ctrl+Left goes from `column`: the start of this word or the one before, or 0.
int PreviousWordStart(QStringView text, int column);
