// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#include "listingFind.h"

#include <QList>
#include <algorithm>
#include <limits>

#include "utf8Text.h"

namespace {

constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();

unsigned char Fold(unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; }
unsigned char Unfold(unsigned char c) { return c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c; }

// A letter outside ASCII that has another case: the bytes alone cannot match it case-blind.
bool NeedsCaseRules(const QString& text) {
  for (const char32_t c : text.toUcs4()) {
    if (c >= 0x80 && (QChar::toLower(c) != c || QChar::toUpper(c) != c)) return true;
  }
  return false;
}

QString LineText(const TLineView& lines, std::size_t line) {
  const std::string_view text = lines.Text(line);
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

TListingSearch::TListingSearch(const TLineView& lines, const TFindRequest& request,
                               TTextPosition from)
    : lines_(lines), request_(request) {
  if (request_.text.isEmpty() || lines_.Count() == 0) {
    state_ = TState::kNotFound;
    return;
  }
  byLine_ = !request_.caseSensitive && NeedsCaseRules(request_.text);
  const QByteArray utf8 = request_.text.toUtf8();
  pattern_.assign(utf8.constData(), static_cast<std::size_t>(utf8.size()));
  patternUnits_ = static_cast<std::size_t>(request_.text.size());
  if (!request_.caseSensitive) {
    for (char& c : pattern_) c = static_cast<char>(Fold(static_cast<unsigned char>(c)));
  }
  // Horspool's shifts: how far the window may move when its last byte is c.
  const std::size_t m = pattern_.size();
  shift_.fill(m);
  for (std::size_t i = 0; i + 1 < m; ++i) {
    const auto c = static_cast<unsigned char>(pattern_[i]);
    shift_[c] = m - 1 - i;
    if (!request_.caseSensitive) shift_[Unfold(c)] = m - 1 - i;
  }

  from.line = std::min(from.line, lines_.Count() - 1);
  const std::string_view text = lines_.Text(from.line);
  const auto column = static_cast<std::size_t>(std::max(0, from.column));
  if (byLine_) {
    fromUnit_ = from.line;
    fromOffset_ = std::min<std::size_t>(column, Utf16Length(text));
  } else {
    fromUnit_ = lines_.ChunkOf(from.line);
    fromOffset_ = lines_.StartInChunk(from.line) + ByteOffsetOfColumn(text, column);
  }
  stretch_.unit = fromUnit_;
  NextStretch();
}

// Sets stretch_ to cover unit stretch_.unit in the current phase.
void TListingSearch::NextStretch() {
  const std::size_t unit = stretch_.unit;
  std::size_t lo = 0;
  std::size_t hi = kNone;
  if (!byLine_) {
    const TLineView::TChunkText chunk = lines_.Chunk(unit);
    lo = lines_.StartInChunk(chunk.firstLine);
    hi = chunk.bytes.size();
  }
  if (unit == fromUnit_) {
    // Phase 0 forward and phase 1 backward start at `from`; the others stop there.
    if ((phase_ == 0) == request_.forward) {
      lo = std::max(lo, fromOffset_);
    } else {
      hi = std::min(hi, fromOffset_);
    }
  }
  stretch_ = {unit, lo, hi};
}

TListingSearch::TState TListingSearch::Step(std::size_t bytes) {
  std::size_t budget = std::max<std::size_t>(bytes, 1);
  while (state_ == TState::kRunning && budget > 0) {
    const bool done = byLine_ ? StepLines(budget) : StepBytes(budget);
    if (done || state_ != TState::kRunning) break;
    // The stretch is searched through: on to the next unit, the other phase, or the end.
    const std::size_t units = byLine_ ? lines_.Count() : lines_.ChunkCount();
    std::size_t& unit = stretch_.unit;
    if (request_.forward) {
      if (phase_ == 0 && unit + 1 < units) {
        ++unit;
      } else if (phase_ == 0) {
        phase_ = 1;
        unit = 0;
      } else if (unit < fromUnit_) {
        ++unit;
      } else {
        state_ = TState::kNotFound;
        break;
      }
    } else {
      if (phase_ == 0 && unit > 0) {
        --unit;
      } else if (phase_ == 0) {
        phase_ = 1;
        unit = units - 1;
      } else if (unit > fromUnit_) {
        --unit;
      } else {
        state_ = TState::kNotFound;
        break;
      }
    }
    NextStretch();
    budget -= std::min<std::size_t>(budget, 1);
  }
  return state_;
}

bool TListingSearch::MatchesAt(std::string_view chunk, std::size_t at) const {
  const std::size_t m = pattern_.size();
  for (std::size_t i = 0; i < m; ++i) {
    const auto c = static_cast<unsigned char>(chunk[at + i]);
    if ((request_.caseSensitive ? c : Fold(c)) != static_cast<unsigned char>(pattern_[i])) {
      return false;
    }
  }
  return true;
}

// The first match starting in [lo, hi) of the current chunk that lies within one line, or kNone.
std::size_t TListingSearch::FindBytes(const char* data, std::size_t lo, std::size_t hi,
                                      std::size_t size) const {
  const std::size_t m = pattern_.size();
  const std::string_view chunk(data, size);
  const TLineView::TChunkText text = lines_.Chunk(stretch_.unit);
  const auto last = static_cast<unsigned char>(pattern_.back());
  for (std::size_t at = lo; at < hi && at + m <= size;
       at += shift_[static_cast<unsigned char>(data[at + m - 1])]) {
    // The window's last byte first, which is all that most windows need looked at.
    const auto end = static_cast<unsigned char>(data[at + m - 1]);
    if ((request_.caseSensitive ? end : Fold(end)) != last || !MatchesAt(chunk, at)) continue;
    const std::size_t line = lines_.LineAtByte(stretch_.unit, at);
    const std::size_t lineEnd =
        line + 1 < text.endLine ? lines_.StartInChunk(line + 1) : text.bytes.size();
    if (at + m <= lineEnd) return at;
  }
  return kNone;
}

bool TListingSearch::StepBytes(std::size_t& budget) {
  TStretch& s = stretch_;
  const TLineView::TChunkText chunk = lines_.Chunk(s.unit);
  const char* data = chunk.bytes.data();
  const std::size_t size = chunk.bytes.size();
  s.hi = std::min(s.hi, size);
  while (s.lo < s.hi && budget > 0) {
    const std::size_t slice = std::min(s.hi - s.lo, budget);
    budget -= slice;
    if (request_.forward) {
      const std::size_t at = FindBytes(data, s.lo, s.lo + slice, size);
      if (at != kNone) {
        FoundBytes(s.unit, at);
        return true;
      }
      s.lo += slice;
    } else {
      const std::size_t sliceLo = s.hi - slice;
      std::size_t last = kNone;
      for (std::size_t at = FindBytes(data, sliceLo, s.hi, size); at != kNone;
           at = FindBytes(data, at + 1, s.hi, size)) {
        last = at;
      }
      if (last != kNone) {
        FoundBytes(s.unit, last);
        return true;
      }
      s.hi = sliceLo;
    }
  }
  return s.lo < s.hi;  // still more of this stretch: the budget ran out
}

void TListingSearch::FoundBytes(std::size_t chunk, std::size_t at) {
  const std::size_t line = lines_.LineAtByte(chunk, at);
  const std::string_view text = lines_.Text(line);
  const std::size_t start = at - lines_.StartInChunk(line);
  const auto column = static_cast<int>(ColumnOfByteOffset(text, start));
  const auto units = static_cast<int>(Utf16Length(text.substr(start, pattern_.size())));
  match_ = {{line, column}, {line, column + units}};
  wrapped_ = phase_ == 1;
  state_ = TState::kFound;
}

bool TListingSearch::StepLines(std::size_t& budget) {
  TStretch& s = stretch_;
  if (s.lo < s.hi) {
    const QString text = LineText(lines_, s.unit);
    budget -= std::min(budget, lines_.Text(s.unit).size() + 1);
    const auto units = static_cast<qsizetype>(patternUnits_);
    const auto lo = static_cast<qsizetype>(std::min<std::size_t>(s.lo, text.size()));
    const auto hi = static_cast<qsizetype>(std::min<std::size_t>(s.hi, text.size() + 1));
    qsizetype at = -1;
    if (request_.forward) {
      at = text.indexOf(request_.text, lo, Qt::CaseInsensitive);
      if (at >= hi) at = -1;
    } else if (hi > 0) {
      at = text.lastIndexOf(request_.text, hi - 1, Qt::CaseInsensitive);
      if (at < lo) at = -1;
    }
    s.lo = s.hi;
    if (at >= 0) {
      match_ = {{s.unit, static_cast<int>(at)}, {s.unit, static_cast<int>(at + units)}};
      wrapped_ = phase_ == 1;
      state_ = TState::kFound;
      return true;
    }
  }
  return false;
}
