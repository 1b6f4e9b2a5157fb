// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#include "lineStore.h"

#include <malloc.h>
#include <sys/mman.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>

namespace {

constexpr std::size_t kChunkBytes = 4 * 1024 * 1024;
constexpr std::size_t kHugePage = 2 * 1024 * 1024;
// Past this much, a clear asks the allocator to return its free pages to the system.
constexpr std::size_t kTrimBytes = 64 * 1024 * 1024;

// A chunk for the text of many lines. Most of the cost of filling chunks went into the kernel
// handing out their pages one 4 KiB fault at a time, as much as the rest of appending together;
// a chunk aligned to huge pages, and advised to take them, faults 512 times less where the kernel
// has them to give. Large chunks come straight from mmap, so freeing them returns the memory.
std::shared_ptr<char[]> NewChunk(std::size_t capacity) {
  const std::size_t rounded = (capacity + kHugePage - 1) / kHugePage * kHugePage;
  void* const data = std::aligned_alloc(kHugePage, rounded);
  if (data == nullptr) throw std::bad_alloc();
  ::madvise(data, rounded, MADV_HUGEPAGE);
  return {static_cast<char*>(data), [](char* chunk) { std::free(chunk); }};
}

}  // namespace

std::size_t TLineView::ChunkOf(std::size_t line) const {
  const auto after =
      std::upper_bound(chunks_.begin(), chunks_.end(), line,
                       [](std::size_t l, const TChunk& c) { return l < c.firstLine; });
  return static_cast<std::size_t>(after - chunks_.begin()) - 1;
}

TLineView::TChunkText TLineView::Chunk(std::size_t chunk) const {
  const TChunk& holder = chunks_[chunk];
  const std::size_t end = chunk + 1 == chunks_.size() ? Count() : chunks_[chunk + 1].firstLine;
  return {holder.firstLine, end, {holder.data.get(), holder.size}};
}

std::size_t TLineView::LineAtByte(std::size_t chunk, std::size_t offset) const {
  const TChunkText text = Chunk(chunk);
  const auto begin = starts_.begin() + static_cast<std::ptrdiff_t>(text.firstLine);
  const auto end = starts_.begin() + static_cast<std::ptrdiff_t>(text.endLine);
  const auto after = std::upper_bound(begin, end, offset);
  return after == begin ? text.firstLine : static_cast<std::size_t>(after - starts_.begin()) - 1;
}

std::string_view TLineView::Text(std::size_t line) const {
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
    chunks_.push_back({NewChunk(capacity), 0, capacity, Count()});
  }
  TChunk& chunk = chunks_.back();
  if (!text.empty()) std::memcpy(chunk.data.get() + chunk.size, text.data(), text.size());
  starts_.push_back(static_cast<std::uint32_t>(chunk.size));
  styles_.push_back(style);
  chunk.size += text.size();
  textBytes_ += text.size();
}

void TLineStore::Clear() {
  const bool large = BytesReserved() > kTrimBytes;
  // Assigning `{}` would keep the vectors' capacity; moving empty ones in frees it.
  chunks_ = decltype(chunks_)();
  starts_ = decltype(starts_)();
  styles_ = decltype(styles_)();
  attributes_ = decltype(attributes_)();
  textBytes_ = 0;
  // Freed chunks are scattered through the heap, where the allocator keeps them for reuse: a pane
  // that showed 16 million lines would go on holding their memory while showing ten.
  if (large) ::malloc_trim(0);
}

TLineSnapshot TLineStore::Snapshot(std::size_t first, std::size_t end) const {
  TLineSnapshot snapshot;
  end = std::min(end, Count());
  if (first >= end) return snapshot;
  const std::size_t firstChunk = ChunkOf(first);
  const std::size_t lastChunk = ChunkOf(end - 1);
  for (std::size_t c = firstChunk; c <= lastChunk; ++c) {
    TChunk chunk = chunks_[c];
    chunk.firstLine = c == firstChunk ? 0 : chunk.firstLine - first;
    chunk.capacity = chunk.size;
    snapshot.chunks_.push_back(std::move(chunk));
  }
  // The last line taken ends where the next one starts, or with its chunk as it is now.
  if (end < Count() && ChunkOf(end) == lastChunk) snapshot.chunks_.back().size = starts_[end];
  snapshot.starts_.assign(starts_.begin() + static_cast<std::ptrdiff_t>(first),
                          starts_.begin() + static_cast<std::ptrdiff_t>(end));
  snapshot.styles_.assign(styles_.begin() + static_cast<std::ptrdiff_t>(first),
                          styles_.begin() + static_cast<std::ptrdiff_t>(end));
  snapshot.attributes_ = attributes_;
  for (const TChunk& chunk : snapshot.chunks_) {
    snapshot.textBytes_ += chunk.size - snapshot.starts_[chunk.firstLine];
  }
  return snapshot;
}

std::size_t TLineStore::BytesReserved() const {
  std::size_t bytes = starts_.capacity() * sizeof(std::uint32_t) + styles_.capacity();
  for (const TChunk& chunk : chunks_) bytes += chunk.capacity;
  return bytes;
}
