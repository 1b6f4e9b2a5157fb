// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#pragma once

#include <QString>
#include <cstddef>
#include <optional>
#include <vector>

#include "lineStore.h"

// What assistive technology is told when the pane's text changes. Appended lines are told with
// their text while that is small, a clear with the length of what went; a run of thousands of
// lines only as a change of what is shown, which prompts a screen reader to ask again for what it
// needs, since the text itself would be megabytes.
struct TTextNotice {
  enum class TKind { kRemoved, kInserted, kShownChanged };
  TKind kind;
  std::size_t position = 0;
  QString text;  // inserted text; for a removal, spaces as long as what was removed
  friend bool operator==(const TTextNotice&, const TTextNotice&) = default;
};

class TTextNotices {
 public:
  static constexpr std::size_t kToldLines = 4096;

  void Cleared() { cleared_ = true; }
  // The notices for what changed since the last call; with `tell` false, nobody listens and
  // nothing is made, but the next notices still start from here.
  std::vector<TTextNotice> Take(const TLineView& lines, bool tell);

 private:
  bool cleared_ = false;
  std::size_t toldLines_ = 0;
  std::optional<std::size_t> toldLength_ = 0;  // none: too long to have been told
};
