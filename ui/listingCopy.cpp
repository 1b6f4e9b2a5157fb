// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#include "listingCopy.h"

#include <algorithm>

namespace {

const QString kPlain = QStringLiteral("text/plain");
const QString kHtml = QStringLiteral("text/html");

// Calls `visit(line, part)` for each line of the range with the part of it that the range covers.
template <typename F>
void ForEachLine(const TLineStore& lines, const TTextRange& range, F&& visit) {
  for (std::size_t line = range.from.line; line <= range.to.line && line < lines.Count(); ++line) {
    const QString text = LineString(lines, line);
    const int length = static_cast<int>(text.size());
    const int start = line == range.from.line ? std::min(range.from.column, length) : 0;
    const int end = line == range.to.line ? std::min(range.to.column, length) : length;
    visit(line, QStringView(text).mid(start, std::max(0, end - start)));
  }
}

QString HtmlColor(kestrova::TColor color) {
  return QStringLiteral("#%1%2%3")
      .arg(color.red, 2, 16, QLatin1Char('0'))
      .arg(color.green, 2, 16, QLatin1Char('0'))
      .arg(color.blue, 2, 16, QLatin1Char('0'));
}

// Escapes text for HTML; runs of spaces keep their width, since indentation is made of them.
void AppendHtmlText(QString& html, QStringView text) {
  QChar previous = QLatin1Char('\n');
  for (const QChar c : text) {
    switch (c.unicode()) {
      case '&':
        html += QLatin1String("&amp;");
        break;
      case '<':
        html += QLatin1String("&lt;");
        break;
      case '>':
        html += QLatin1String("&gt;");
        break;
      case '"':
        html += QLatin1String("&quot;");
        break;
      case ' ':
        html += previous == QLatin1Char(' ') || previous == QLatin1Char('\n')
                    ? QLatin1String("&nbsp;")
                    : QLatin1String(" ");
        break;
      default:
        html += c;
    }
    previous = c;
  }
}

}  // namespace

QString LineString(const TLineStore& lines, std::size_t line) {
  const std::string_view text = lines.Text(line);
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString ListingText(const TLineStore& lines, const TTextRange& range) {
  QString text;
  bool first = true;
  ForEachLine(lines, range, [&](std::size_t, QStringView part) {
    if (!first) text += QLatin1Char('\n');
    text += part;
    first = false;
  });
  return text;
}

QString ListingHtml(const TLineStore& lines, const TTextRange& range) {
  QString html = QStringLiteral(
      "<!DOCTYPE html><html><head><meta charset=\"utf-8\"></head><body>"
      "<div style=\"font-family:sans-serif\">\n");
  bool first = true;
  ForEachLine(lines, range, [&](std::size_t line, QStringView part) {
    if (!first) html += QLatin1String("<br>\n");
    const auto& attributes = lines.Attributes(line);
    html += QLatin1String("<span style=\"color:") + HtmlColor(attributes.color);
    if (attributes.bold) html += QLatin1String(";font-weight:bold");
    html += QLatin1String("\">");
    AppendHtmlText(html, part);
    html += QLatin1String("</span>");
    first = false;
  });
  html += QLatin1String("\n</div></body></html>\n");
  return html;
}

TListingMimeData::TListingMimeData(TLineStore lines, TTextRange range)
    : lines_(std::move(lines)), range_(range) {}

QStringList TListingMimeData::formats() const { return {kPlain, kHtml}; }

bool TListingMimeData::hasFormat(const QString& mimeType) const {
  return mimeType == kPlain || mimeType == kHtml;
}

QVariant TListingMimeData::retrieveData(const QString& mimeType, QMetaType) const {
  if (mimeType == kPlain) {
    if (!text_) text_ = ListingText(lines_, range_);
    return *text_;
  }
  if (mimeType == kHtml) {
    if (!html_) html_ = ListingHtml(lines_, range_);
    return *html_;
  }
  return {};
}
