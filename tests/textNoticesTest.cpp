// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
// What a screen reader is told when the pane's text changes.
#include <gtest/gtest.h>

#include <vector>

#include "textNotices.h"

namespace {

using TKind = TTextNotice::TKind;
const TTextNotice kShownChanged{TKind::kShownChanged, 0, {}};

TEST(TextNoticesTest, TellsAppendsClearsAndBigChangesApart) {
  TLineStore store;
  TTextNotices notices;
  store.Append("/home/我", {});
  store.Append("├(1)a", {});
  EXPECT_EQ(notices.Take(store, true),
            (std::vector<TTextNotice>{{TKind::kInserted, 0, QStringLiteral("/home/我\n├(1)a")}}));
  EXPECT_TRUE(notices.Take(store, true).empty());  // nothing new

  // Lines added later go in where the text ended, after a line break.
  store.Append("└█", {});
  EXPECT_EQ(notices.Take(store, true),
            (std::vector<TTextNotice>{{TKind::kInserted, 13, QStringLiteral("\n└█")}}));

  // A new listing: as many characters go as there were, then the new text comes.
  store.Clear();
  notices.Cleared();
  store.Append("/tmp", {});
  EXPECT_EQ(notices.Take(store, true),
            (std::vector<TTextNotice>{{TKind::kRemoved, 0, QString(16, QLatin1Char(' '))},
                                      {TKind::kInserted, 0, QStringLiteral("/tmp")}}));

  // Thousands of lines are not sent as text; and once the length is not known, a clear is not
  // told as a removal of some made-up length either.
  for (std::size_t i = 0; i <= TTextNotices::kToldLines; ++i) store.Append("├(2)b", {});
  EXPECT_EQ(notices.Take(store, true), (std::vector<TTextNotice>{kShownChanged}));
  store.Clear();
  notices.Cleared();
  store.Append("/x", {});
  EXPECT_EQ(notices.Take(store, true), (std::vector<TTextNotice>{kShownChanged}));
  store.Append("y", {});
  EXPECT_EQ(notices.Take(store, true), (std::vector<TTextNotice>{kShownChanged}));
}

TEST(TextNoticesTest, MakesNothingWhileNobodyListens) {
  TLineStore store;
  TTextNotices notices;
  store.Append("a", {});
  EXPECT_TRUE(notices.Take(store, false).empty());
  store.Append("b", {});
  // A screen reader that comes later is told that the text changed, and asks for it.
  EXPECT_EQ(notices.Take(store, true), (std::vector<TTextNotice>{kShownChanged}));
}

}  // namespace
