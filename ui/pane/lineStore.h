// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "outputSink.h"

// Lines of a listing as the pane keeps them: their UTF-8 text packed into large chunks, and per
// line only where its text starts and which of a few attribute sets it was drawn in, about five
// bytes on top of the text. This is the read-only side, shared by the store and its snapshots.
class TLineView {
 public:
  struct TAttributes {
    kestrova::TColor color;
    bool bold = false;
    friend bool operator==(const TAttributes&, const TAttributes&) = default;
  };

  // A chunk's text: lines [firstLine, endLine) lie back to back in `bytes`, with no separator.
  struct TChunkText {
    std::size_t firstLine;
    std::size_t endLine;
    std::string_view bytes;
  };

  std::size_t Count() const { return starts_.size(); }
  std::size_t TextBytes() const { return textBytes_; }
  std::string_view Text(std::size_t line) const;
  const TAttributes& Attributes(std::size_t line) const { return attributes_[styles_[line]]; }

  std::size_t ChunkCount() const { return chunks_.size(); }
  std::size_t ChunkOf(std::size_t line) const;
  TChunkText Chunk(std::size_t chunk) const;
  // Where `line`'s text starts within its chunk.
  std::size_t StartInChunk(std::size_t line) const { return starts_[line]; }
  // The line of chunk `chunk` whose text holds byte `offset` (or ends at it).
  std::size_t LineAtByte(std::size_t chunk, std::size_t offset) const;

  // Calls visit(line, text) for lines [first, end) in order, a chunk at a time, which is cheaper
  // than asking for each line's text on its own.
  template <typename F>
  void ForEachText(std::size_t first, std::size_t end, F&& visit) const {
    end = std::min(end, Count());
    for (std::size_t line = first; line < end;) {
      const TChunkText chunk = Chunk(ChunkOf(line));
      for (; line < std::min(end, chunk.endLine); ++line) {
        const std::size_t stop = line + 1 < chunk.endLine ? starts_[line + 1] : chunk.bytes.size();
        visit(line, chunk.bytes.substr(starts_[line], stop - starts_[line]));
      }
    }
  }

 protected:
  struct TChunk {
    std::shared_ptr<char[]> data;
    std::size_t size = 0;
    std::size_t capacity = 0;
    std::size_t firstLine = 0;
  };

  std::vector<TChunk> chunks_;
  std::vector<std::uint32_t> starts_;  // offset of each line's text within its chunk
  std::vector<std::uint8_t> styles_;   // index into attributes_
  std::vector<TAttributes> attributes_;
  std::size_t textBytes_ = 0;
};

// Lines taken out of a store: what they were when taken, whatever the store does next. It cannot
// be appended to, so no two owners of the same chunks ever write into them.
class TLineSnapshot final : public TLineView {
 private:
  friend class TLineStore;
  TLineSnapshot() = default;
};

// The pane's lines. Chunks are never moved, so growth copies nothing but the small per-line
// index. Only the store appends, and it is not copyable: copies are snapshots.
class TLineStore final : public TLineView {
 public:
  TLineStore() = default;
  TLineStore(const TLineStore&) = delete;
  TLineStore& operator=(const TLineStore&) = delete;

  void Append(std::string_view text, const TAttributes& attributes);
  // Removes every line and hands the memory back to the system, not just to the allocator.
  void Clear();
  // Lines [first, end) as they are now, sharing their text with the store.
  TLineSnapshot Snapshot(std::size_t first, std::size_t end) const;
  // Memory held, for the benchmark's figures and a sanity check in the tests.
  std::size_t BytesReserved() const;

 private:
  std::uint8_t StyleOf(const TAttributes& attributes);
};
