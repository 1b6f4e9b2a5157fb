// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#pragma once

#include <QByteArray>
#include <QMimeData>
#include <QString>
#include <cstddef>
#include <optional>

#include "lineStore.h"
#include "textSelection.h"

QString LineString(const TLineView& lines, std::size_t line);

// The lines of `range` as UTF-8 plain text, one per line.
QByteArray ListingText(const TLineView& lines, const TTextRange& range);
// The same as UTF-8 HTML that keeps each line's colour and weight; names stay text, never markup.
QByteArray ListingHtml(const TLineView& lines, const TTextRange& range);
// The exact size of ListingHtml's result, worked out without making it.
std::size_t ListingHtmlSize(const TLineView& lines, const TTextRange& range);

// What the pane puts on the clipboard: a snapshot of the selected lines, turned into text or HTML
// only when a program asks for it, and not kept afterwards, so that copying a million lines is
// instant and the clipboard holds little more than the snapshot. Plain text is always offered;
// HTML only while it comes to at most kHtmlByteLimit, which a full pane of an ordinary listing
// stays under, so that one paste never needs gigabytes more.
class TListingMimeData final : public QMimeData {
  Q_OBJECT

 public:
  static constexpr std::size_t kHtmlByteLimit = std::size_t{3} << 29;  // 1.5 GiB

  TListingMimeData(const TLineStore& lines, const TTextRange& range);

  QStringList formats() const override;
  bool hasFormat(const QString& mimeType) const override;
  bool OffersHtml() const;

 protected:
  QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

 private:
  TLineSnapshot lines_;
  TTextRange range_;
  mutable std::optional<std::size_t> htmlSize_;
};
