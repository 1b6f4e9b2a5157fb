// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#include "folderOrder.h"

#include <QCollator>
#include <QLocale>
#include <QString>
#include <algorithm>
#include <utility>

namespace kestrova::tree {

void SortForPeople(TFolderRows& rows) {
  // In the C locale Qt compares bytes, numbers and case included; the program's own language,
  // Chinese, stands in for it (its order of Latin letters and digits is the common one).
  QLocale locale;
  if (locale.language() == QLocale::C) locale = QLocale(QLocale::Chinese, QLocale::China);
  QCollator collator(locale);
  collator.setNumericMode(true);
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  // Sort keys once per name: comparing through the collator each time costs seconds on a folder
  // of a hundred thousand.
  std::vector<std::pair<QCollatorSortKey, TFolderRow>> keyed;
  keyed.reserve(rows.size());
  for (TFolderRow& row : rows) {
    QCollatorSortKey key = collator.sortKey(QString::fromStdString(row.shown));
    keyed.emplace_back(std::move(key), std::move(row));
  }
  // Names the collator holds equal ("a" and "A") go by their bytes, so the order never depends
  // on the order in which the file system happened to yield them.
  std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
    const int order = a.first.compare(b.first);
    return order != 0 ? order < 0 : a.second.path < b.second.path;
  });
  rows.clear();
  for (auto& [key, row] : keyed) rows.push_back(std::move(row));
}

}  // namespace kestrova::tree
