// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "outputSink.h"

// The output pane's lines: their UTF-8 text packed into large chunks, and per line only where its
// text starts and which of a few attribute sets it was drawn in, about five bytes on top of the
// text. Chunks are never moved, so growth copies nothing but the small per-line index. A copy of
// the store shares the chunks: it is a cheap snapshot that later appends and clears do not touch.
class TLineStore {
 public:
  struct TAttributes {
    kestrova::TColor color;
    bool bold = false;
    friend bool operator==(const TAttributes&, const TAttributes&) = default;
  };

  std::size_t Count() const { return starts_.size(); }
  std::size_t TextBytes() const { return textBytes_; }
  std::string_view Text(std::size_t line) const;
  const TAttributes& Attributes(std::size_t line) const { return attributes_[styles_[line]]; }

  void Append(std::string_view text, const TAttributes& attributes);
  void Clear();
  // Memory held, for the benchmark's figures and a sanity check in the tests.
  std::size_t BytesReserved() const;

 private:
  struct TChunk {
    std::shared_ptr<char[]> data;
    std::size_t size = 0;
    std::size_t capacity = 0;
    std::size_t firstLine = 0;
  };
  std::size_t ChunkOf(std::size_t line) const;
  std::uint8_t StyleOf(const TAttributes& attributes);

  std::vector<TChunk> chunks_;
  std::vector<std::uint32_t> starts_;  // offset of each line's text within its chunk
  std::vector<std::uint8_t> styles_;   // index into attributes_
  std::vector<TAttributes> attributes_;
  std::size_t textBytes_ = 0;
};
