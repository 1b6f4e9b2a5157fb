// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#pragma once

#include <cstddef>
#include <limits>
#include <string>
#include <vector>

#include "outputSink.h"

namespace kestrova {

struct TRecordedLine {
  std::string text;
  TColor color;
  bool bold = false;

  friend bool operator==(const TRecordedLine&, const TRecordedLine&) = default;
};

// Keeps every line with the attributes it was drawn in, so that a listing can be checked without a
// window. With a capacity, the line past it fails as a full pane does.
class TRecordingSink final : public TOutputSink {
 public:
  explicit TRecordingSink(std::size_t capacity = std::numeric_limits<std::size_t>::max())
      : capacity_(capacity) {}

  void Clear() override { lines_.clear(); }
  void SetBold(bool bold) override { bold_ = bold; }
  void SetColor(TColor color) override { color_ = color; }
  void AddLine(std::string_view text) override {
    if (lines_.size() >= capacity_) throw ELineInsertionError();
    lines_.push_back({std::string(text), color_, bold_});
  }

  const std::vector<TRecordedLine>& Lines() const { return lines_; }

 private:
  std::size_t capacity_;
  std::vector<TRecordedLine> lines_;
  TColor color_;
  bool bold_ = false;
};

}  // namespace kestrova
