// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#pragma once

#include <QMimeData>
#include <QString>
#include <climits>
#include <compare>
#include <cstddef>
#include <optional>

#include "lineStore.h"

// A place in the pane's text: a line, and a UTF-16 offset in it (INT_MAX for its end).
struct TTextPosition {
  std::size_t line = 0;
  int column = 0;
  friend auto operator<=>(const TTextPosition&, const TTextPosition&) = default;
};

struct TTextRange {
  TTextPosition from;
  TTextPosition to;
};

QString LineString(const TLineStore& lines, std::size_t line);
// The lines of `range` as plain text, one per line.
QString ListingText(const TLineStore& lines, const TTextRange& range);
// The same as HTML that keeps each line's colour and weight; names stay text, never markup.
QString ListingHtml(const TLineStore& lines, const TTextRange& range);

// What the pane puts on the clipboard: a snapshot of the selected lines, turned into text or HTML
// only when a program asks for it, so that copying a million lines is instant.
class TListingMimeData final : public QMimeData {
  Q_OBJECT

 public:
  TListingMimeData(TLineStore lines, TTextRange range);

  QStringList formats() const override;
  bool hasFormat(const QString& mimeType) const override;

 protected:
  QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

 private:
  TLineStore lines_;
  TTextRange range_;
  mutable std::optional<QString> text_;
  mutable std::optional<QString> html_;
};
