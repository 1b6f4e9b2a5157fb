// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#include "textSelection.h"

#include <QStringLiteral>
#include <algorithm>

TTextRange Ordered(TTextPosition a, TTextPosition b) { return {std::min(a, b), std::max(a, b)}; }

std::optional<TColumns> ClipToLine(const TTextRange& range, std::size_t line, int length) {
  if (range.IsEmpty() || line < range.from.line || line > range.to.line) return std::nullopt;
  const int start = line == range.from.line ? std::min(range.from.column, length) : 0;
  const int end = line == range.to.line ? std::min(range.to.column, length) : length;
  return TColumns{start, end};
}

bool IsWordCharacter(QChar c) {
  if (c.isLetterOrNumber() || c.isMark()) return true;
  return QStringView(u"._-~+@#$%&='!").contains(c);
}

TColumns WordAt(QStringView text, int column) {
  const int length = static_cast<int>(text.size());
  int start = std::clamp(column, 0, length);
  // At a word's end, as after a click on its right half of the last letter, the word is the one
  // just before.
  if ((start == length || !IsWordCharacter(text[start])) && start > 0 &&
      IsWordCharacter(text[start - 1])) {
    --start;
  }
  if (start == length || !IsWordCharacter(text[start])) return {start, start};
  int end = start;
  while (start > 0 && IsWordCharacter(text[start - 1])) --start;
  while (end < length && IsWordCharacter(text[end])) ++end;
  return {start, end};
}

int NextWordStart(QStringView text, int column) {
  const int length = static_cast<int>(text.size());
  int at = std::clamp(column, 0, length);
  while (at < length && IsWordCharacter(text[at])) ++at;
  while (at < length && !IsWordCharacter(text[at])) ++at;
  return at;
}

int PreviousWordStart(QStringView text, int column) {
  int at = std::clamp(column, 0, static_cast<int>(text.size()));
  while (at > 0 && !IsWordCharacter(text[at - 1])) --at;
  while (at > 0 && IsWordCharacter(text[at - 1])) --at;
  return at;
}
