// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#include "textNotices.h"

std::vector<TTextNotice> TTextNotices::Take(const TLineView& lines, bool tell) {
  const std::size_t count = lines.Count();
  const bool cleared = cleared_;
  const std::size_t first = cleared ? 0 : toldLines_;
  cleared_ = false;
  toldLines_ = count;
  if (!tell) {
    toldLength_.reset();
    return {};
  }
  if (!cleared && first == count) return {};
  if (count - first > kToldLines || !toldLength_) {
    toldLength_.reset();
    return {{TTextNotice::TKind::kShownChanged, 0, {}}};
  }
  std::vector<TTextNotice> notices;
  if (cleared && *toldLength_ > 0) {
    // Only the length of the text taken away is known; spaces stand in for it, as in Qt's own
    // text controls.
    notices.push_back({TTextNotice::TKind::kRemoved, 0,
                       QString(static_cast<qsizetype>(*toldLength_), QLatin1Char(' '))});
  }
  const std::size_t position = cleared ? 0 : *toldLength_;
  QString inserted;
  lines.ForEachText(first, count, [&](std::size_t line, std::string_view text) {
    if (line > 0) inserted += QLatin1Char('\n');
    inserted += QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  });
  toldLength_ = position + static_cast<std::size_t>(inserted.size());
  if (!inserted.isEmpty()) notices.push_back({TTextNotice::TKind::kInserted, position, inserted});
  return notices;
}
