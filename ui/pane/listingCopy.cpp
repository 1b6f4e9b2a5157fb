// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#include "listingCopy.h"

#include <sys/mman.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string>

#include "utf8Text.h"

namespace {

const QString kPlain = QStringLiteral("text/plain");
const QString kHtml = QStringLiteral("text/html");

constexpr std::string_view kHtmlHead =
    "<!DOCTYPE html><html><head><meta charset=\"utf-8\"></head><body>"
    "<div style=\"font-family:sans-serif\">\n";
constexpr std::string_view kHtmlTail = "\n</div></body></html>\n";
constexpr std::string_view kLineBreak = "<br>\n";
constexpr std::string_view kSpanEnd = "</span>";

// Calls `visit(line, part)` for each line of the range with the UTF-8 bytes of it that the range
// covers; only the first and the last line need their columns turned into bytes.
template <typename F>
void ForEachPart(const TLineView& lines, const TTextRange& range, F&& visit) {
  if (range.IsEmpty()) return;
  const std::size_t first = range.from.line;
  const std::size_t last = range.to.line;
  lines.ForEachText(first, last + 1, [&](std::size_t line, std::string_view text) {
    std::size_t start = 0;
    std::size_t end = text.size();
    if (line == first)
      start = ByteOffsetOfColumn(text, static_cast<std::size_t>(range.from.column));
    if (line == last) end = ByteOffsetOfColumn(text, static_cast<std::size_t>(range.to.column));
    visit(line, text.substr(start, end > start ? end - start : 0));
  });
}

// What each byte becomes in HTML; empty for the bytes that stay as they are.
constexpr std::array<std::string_view, 256> EscapeTable() {
  std::array<std::string_view, 256> table{};
  table['&'] = "&amp;";
  table['<'] = "&lt;";
  table['>'] = "&gt;";
  table['"'] = "&quot;";
  table[' '] = "&nbsp;";
  return table;
}
constexpr std::array<std::string_view, 256> kEscapes = EscapeTable();
constexpr std::array<bool, 256> SpecialTable() {
  std::array<bool, 256> table{};
  for (std::size_t c = 0; c < table.size(); ++c) table[c] = !kEscapes[c].empty();
  return table;
}
constexpr std::array<bool, 256> kSpecial = SpecialTable();

// A space stands for itself only after a character other than a space, so that runs of spaces,
// which the listing's indentation is made of, keep their width.
bool IsEscaped(std::string_view text, std::size_t i) {
  const auto c = static_cast<unsigned char>(text[i]);
  return kSpecial[c] && (c != ' ' || i == 0 || text[i - 1] == ' ');
}

// Counts what would be written, so that the HTML is made in one buffer of the right size.
struct TCounter {
  std::size_t size = 0;
  void Put(std::string_view text) { size += text.size(); }
  void PutEscaped(std::string_view text) {
    size += text.size();
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (IsEscaped(text, i)) size += kEscapes[static_cast<unsigned char>(text[i])].size() - 1;
    }
  }
};

// Writes a byte at a time where it can: the pieces are too short for memcpy to pay.
struct TWriter {
  char* at;
  void Put(std::string_view text) {
    std::memcpy(at, text.data(), text.size());
    at += text.size();
  }
  void PutEscaped(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (IsEscaped(text, i)) {
        Put(kEscapes[static_cast<unsigned char>(text[i])]);
      } else {
        *at++ = text[i];
      }
    }
  }
};

// A buffer for a paste of up to gigabytes. Most of the time of filling it goes into the kernel
// handing out its pages one 4 KiB fault at a time; asking for huge pages makes that 512 times
// fewer faults where the kernel has them to give.
QByteArray PasteBuffer(std::size_t size) {
  QByteArray buffer(static_cast<qsizetype>(size), Qt::Uninitialized);
  constexpr std::uintptr_t kHuge = std::uintptr_t{2} << 20;
  const auto begin = reinterpret_cast<std::uintptr_t>(buffer.data());
  const std::uintptr_t first = (begin + kHuge - 1) & ~(kHuge - 1);
  const std::uintptr_t last = (begin + size) & ~(kHuge - 1);
  if (last > first) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
  return buffer;
}

std::string SpanStart(const TLineView::TAttributes& attributes) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string span = "<span style=\"color:#";
  for (const std::uint8_t part :
       {attributes.color.red, attributes.color.green, attributes.color.blue}) {
    span += kHex[part >> 4];
    span += kHex[part & 15];
  }
  if (attributes.bold) span += ";font-weight:bold";
  span += "\">";
  return span;
}

template <typename Out>
void PutHtml(Out& out, const TLineView& lines, const TTextRange& range) {
  out.Put(kHtmlHead);
  bool first = true;
  const TLineView::TAttributes* spanOf = nullptr;
  std::string span;
  ForEachPart(lines, range, [&](std::size_t line, std::string_view part) {
    if (!first) out.Put(kLineBreak);
    const TLineView::TAttributes& attributes = lines.Attributes(line);
    if (spanOf == nullptr || !(*spanOf == attributes)) {
      span = SpanStart(attributes);
      spanOf = &attributes;
    }
    out.Put(span);
    out.PutEscaped(part);
    out.Put(kSpanEnd);
    first = false;
  });
  out.Put(kHtmlTail);
}

QByteArray MakeHtml(const TLineView& lines, const TTextRange& range, std::size_t size) {
  QByteArray html = PasteBuffer(size);
  TWriter out{html.data()};
  PutHtml(out, lines, range);
  return html;
}

}  // namespace

QString LineString(const TLineView& lines, std::size_t line) {
  const std::string_view text = lines.Text(line);
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QByteArray ListingText(const TLineView& lines, const TTextRange& range) {
  std::size_t size = 0;
  ForEachPart(lines, range, [&](std::size_t, std::string_view part) { size += part.size() + 1; });
  if (size == 0) return {};
  QByteArray text = PasteBuffer(size - 1);
  TWriter out{text.data()};
  bool first = true;
  ForEachPart(lines, range, [&](std::size_t, std::string_view part) {
    if (!first) out.Put("\n");
    out.Put(part);
    first = false;
  });
  return text;
}

std::size_t ListingHtmlSize(const TLineView& lines, const TTextRange& range) {
  TCounter counter;
  PutHtml(counter, lines, range);
  return counter.size;
}

QByteArray ListingHtml(const TLineView& lines, const TTextRange& range) {
  return MakeHtml(lines, range, ListingHtmlSize(lines, range));
}

// The snapshot holds only the selected lines, so the range is moved to start at its line 0.
TListingMimeData::TListingMimeData(const TLineStore& lines, const TTextRange& range)
    : lines_(lines.Snapshot(range.from.line, range.to.line + 1)),
      range_{{0, range.from.column}, {range.to.line - range.from.line, range.to.column}} {}

bool TListingMimeData::OffersHtml() const {
  if (!htmlSize_) htmlSize_ = ListingHtmlSize(lines_, range_);
  return *htmlSize_ <= kHtmlByteLimit;
}

QStringList TListingMimeData::formats() const {
  return OffersHtml() ? QStringList{kPlain, kHtml} : QStringList{kPlain};
}

bool TListingMimeData::hasFormat(const QString& mimeType) const {
  return mimeType == kPlain || (mimeType == kHtml && OffersHtml());
}

QVariant TListingMimeData::retrieveData(const QString& mimeType, QMetaType) const {
  // UTF-8 bytes, which is what the clipboard sends; QMimeData turns them into a QString for
  // those who ask for one.
  if (mimeType == kPlain) return ListingText(lines_, range_);
  if (mimeType == kHtml && OffersHtml()) return MakeHtml(lines_, range_, *htmlSize_);
  return {};
}
