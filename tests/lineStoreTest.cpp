// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
// The pane's line store: text across chunk boundaries, lines larger than a chunk, snapshots.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lineStore.h"

namespace {

using TAttributes = TLineStore::TAttributes;

TEST(LineStoreTest, KeepsEveryLineWholeAcrossChunks) {
  // Lines of a few megabytes force new chunks; one is larger than a chunk; empty lines sit at
  // chunk ends and starts.
  const std::vector<std::size_t> sizes = {0,       3 << 20, 0, 3 << 20, 10, 9 << 20,
                                          1 << 20, 0,       5, 3 << 20, 0};
  const std::vector<TAttributes> styles = {{kestrova::clBlue, true},
                                           {kestrova::clGreen, false},
                                           {kestrova::clRed, false},
                                           {kestrova::clGreen, true}};
  TLineStore store;
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    store.Append(std::string(sizes[i], static_cast<char>('a' + i)), styles[i % styles.size()]);
  }
  ASSERT_EQ(store.Count(), sizes.size());
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    EXPECT_EQ(store.Text(i), std::string(sizes[i], static_cast<char>('a' + i))) << "line " << i;
    EXPECT_EQ(store.Attributes(i), styles[i % styles.size()]) << "line " << i;
  }
}

TEST(LineStoreTest, CopyIsASnapshotThatLaterChangesDoNotTouch) {
  TLineStore store;
  store.Append("first", {kestrova::clBlue, true});
  store.Append("second", {kestrova::clRed, false});
  const TLineStore snapshot = store;
  store.Append("third", {kestrova::clGreen, false});
  ASSERT_EQ(snapshot.Count(), 2u);
  EXPECT_EQ(snapshot.Text(1), "second");
  store.Clear();
  store.Append("new", {kestrova::clRed, false});
  EXPECT_EQ(snapshot.Text(0), "first");
  EXPECT_EQ(snapshot.Text(1), "second");
  EXPECT_EQ(snapshot.Attributes(0), (TAttributes{kestrova::clBlue, true}));
}

}  // namespace
