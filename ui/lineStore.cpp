// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#include "lineStore.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace {

constexpr std::size_t kChunkBytes = 4 * 1024 * 1024;

}  // namespace

std::size_t TLineStore::ChunkOf(std::size_t line) const {
  const auto after =
      std::upper_bound(chunks_.begin(), chunks_.end(), line,
                       [](std::size_t l, const TChunk& c) { return l < c.firstLine; });
  return static_cast<std::size_t>(after - chunks_.begin()) - 1;
}

std::string_view TLineStore::Text(std::size_t line) const {
  const std::size_t chunk = ChunkOf(line);
  const TChunk& holder = chunks_[chunk];
  const bool lastInChunk = chunk + 1 == chunks_.size() ? line + 1 == starts_.size()
                                                       : line + 1 == chunks_[chunk + 1].firstLine;
  const std::size_t end = lastInChunk ? holder.size : starts_[line + 1];
  return {holder.data.get() + starts_[line], end - starts_[line]};
}

std::uint8_t TLineStore::StyleOf(const TAttributes& attributes) {
  if (!styles_.empty() && attributes_[styles_.back()] == attributes) return styles_.back();
  const auto known = std::find(attributes_.begin(), attributes_.end(), attributes);
  if (known != attributes_.end()) return static_cast<std::uint8_t>(known - attributes_.begin());
  // The listing uses at most a handful; past 256 a sink would need a wider index.
  if (attributes_.size() == 256) throw std::length_error("too many line attributes");
  attributes_.push_back(attributes);
  return static_cast<std::uint8_t>(attributes_.size() - 1);
}

void TLineStore::Append(std::string_view text, const TAttributes& attributes) {
  const std::uint8_t style = StyleOf(attributes);
  if (chunks_.empty() || chunks_.back().capacity - chunks_.back().size < text.size()) {
    // A line longer than a chunk gets a chunk of its own size.
    const std::size_t capacity = std::max(kChunkBytes, text.size());
    chunks_.push_back({std::make_shared_for_overwrite<char[]>(capacity), 0, capacity, Count()});
  }
  TChunk& chunk = chunks_.back();
  if (!text.empty()) std::memcpy(chunk.data.get() + chunk.size, text.data(), text.size());
  starts_.push_back(static_cast<std::uint32_t>(chunk.size));
  styles_.push_back(style);
  chunk.size += text.size();
  textBytes_ += text.size();
}

void TLineStore::Clear() {
  chunks_.clear();
  starts_ = {};
  styles_ = {};
  attributes_.clear();
  textBytes_ = 0;
}

std::size_t TLineStore::BytesReserved() const {
  std::size_t bytes = starts_.capacity() * sizeof(std::uint32_t) + styles_.capacity();
  for (const TChunk& chunk : chunks_) bytes += chunk.capacity;
  return bytes;
}
