// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
// The pane's line store: text across chunk boundaries, lines larger than a chunk, snapshots.
#include <gtest/gtest.h>

#include <string>
#include <type_traits>
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
  const TLineSnapshot snapshot = store.Snapshot(0, store.Count());
  store.Append("third", {kestrova::clGreen, false});
  ASSERT_EQ(snapshot.Count(), 2u);
  EXPECT_EQ(snapshot.Text(1), "second");
  store.Clear();
  store.Append("new", {kestrova::clRed, false});
  EXPECT_EQ(snapshot.Text(0), "first");
  EXPECT_EQ(snapshot.Text(1), "second");
  EXPECT_EQ(snapshot.Attributes(0), (TAttributes{kestrova::clBlue, true}));
}

// Two owners that both appended to shared chunks used to write over each other's text: only the
// store appends, and what it hands out cannot.
static_assert(!std::is_copy_constructible_v<TLineStore>);

TEST(LineStoreTest, SnapshotsOfPartsKeepTheirLinesWhileTheStoreGoesOn) {
  TLineStore store;
  for (int i = 0; i < 10; ++i) {
    store.Append("line " + std::to_string(i), {kestrova::clRed, i % 2 == 0});
  }
  const TLineSnapshot middle = store.Snapshot(3, 6);
  const TLineSnapshot tail = store.Snapshot(8, 100);  // clipped to the lines there are
  const TLineSnapshot none = store.Snapshot(5, 5);
  for (int i = 10; i < 20; ++i)
    store.Append("later " + std::to_string(i), {kestrova::clBlue, true});

  ASSERT_EQ(middle.Count(), 3u);
  EXPECT_EQ(middle.Text(0), "line 3");
  EXPECT_EQ(middle.Text(2), "line 5");  // ends where line 6 starts, not with the chunk
  EXPECT_EQ(middle.Attributes(1), (TAttributes{kestrova::clRed, true}));
  EXPECT_EQ(middle.TextBytes(), 18u);
  ASSERT_EQ(tail.Count(), 2u);
  EXPECT_EQ(tail.Text(1), "line 9");  // the chunk has grown since; the snapshot has not
  EXPECT_EQ(none.Count(), 0u);
  store.Clear();
  EXPECT_EQ(middle.Text(1), "line 4");
}

TEST(LineStoreTest, ClearGivesTheMemoryBack) {
  TLineStore store;
  for (int i = 0; i < 1000; ++i) store.Append(std::string(10000, 'x'), {});
  EXPECT_GE(store.BytesReserved(), 10'000'000u);
  store.Clear();
  EXPECT_EQ(store.BytesReserved(), 0u);
  EXPECT_EQ(store.Count(), 0u);
  store.Append("again", {});
  EXPECT_EQ(store.Text(0), "again");
}

}  // namespace
