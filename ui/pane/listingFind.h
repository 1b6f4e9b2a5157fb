// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#pragma once

#include <QString>
#include <array>
#include <cstddef>
#include <string>

#include "lineStore.h"
#include "textSelection.h"

struct TFindRequest {
  QString text;
  bool caseSensitive = false;
  bool forward = true;
};

// One search for a text through the lines, done a slice at a time so that the window's thread can
// go back to its event loop in between. Forward it finds the first match that starts at or after
// `from`, backward the last one that starts before it; either way it goes on round the other end
// of the text (wraps) up to `from`. A match never spans two lines.
//
// Most texts are searched in the UTF-8 bytes themselves, ignoring the case of ASCII letters; a text
// with other letters that have a case, searched without regard to it, is matched line by line
// with Qt's own case rules, which is slower.
class TListingSearch {
 public:
  enum class TState { kRunning, kFound, kNotFound };

  TListingSearch(const TLineView& lines, const TFindRequest& request, TTextPosition from);

  // Searches on through about `bytes` more of the text.
  TState Step(std::size_t bytes);
  TState State() const { return state_; }
  // Once found: the match, and whether the search went round the end to find it.
  TTextRange Match() const { return match_; }
  bool Wrapped() const { return wrapped_; }
  bool Forward() const { return request_.forward; }

 private:
  // A stretch still to be searched: match starts in [lo, hi) of one chunk (fast path) or the lines
  // [lo, hi) with columns limited on the first and last (line path).
  struct TStretch {
    std::size_t unit;
    std::size_t lo;
    std::size_t hi;
  };
  bool StepBytes(std::size_t& budget);
  bool StepLines(std::size_t& budget);
  std::size_t FindBytes(const char* data, std::size_t lo, std::size_t hi, std::size_t size) const;
  bool MatchesAt(std::string_view chunk, std::size_t at) const;
  void FoundBytes(std::size_t chunk, std::size_t at);
  void NextStretch();

  const TLineView& lines_;
  TFindRequest request_;
  bool byLine_ = false;
  std::string pattern_;  // UTF-8, ASCII letters folded to lower case unless case matters
  std::array<std::size_t, 256> shift_{};
  std::size_t patternUnits_ = 0;
  // Where the search began, as a chunk and a byte in it (fast path) or a line and a column.
  std::size_t fromUnit_ = 0;
  std::size_t fromOffset_ = 0;
  TStretch stretch_{};
  int phase_ = 0;  // 0: from `from` to the end; 1: round the other end back to `from`
  TState state_ = TState::kRunning;
  TTextRange match_;
  bool wrapped_ = false;
};
