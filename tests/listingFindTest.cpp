// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
// Finding a text in the pane's lines: direction, wrapping, case, Chinese, chunk and line edges,
// and that slicing the search changes nothing of what it finds.
#include <gtest/gtest.h>

#include <string>

#include "listingFind.h"

namespace {

TTextRange SearchAll(const TLineView& lines, const TFindRequest& request, TTextPosition from,
                     std::size_t slice, bool* wrapped = nullptr) {
  TListingSearch search(lines, request, from);
  while (search.Step(slice) == TListingSearch::TState::kRunning) {
  }
  if (wrapped) *wrapped = search.Wrapped();
  return search.State() == TListingSearch::TState::kFound ? search.Match() : TTextRange{};
}

void Fill(TLineStore& store) {
  store.Append("/home/用户/项目", {kestrova::clBlue, true});  // 0
  store.Append("├(1)README.md", {});                          // 1
  store.Append("├文件夹1：[文档]", {});                       // 2
  store.Append("│  ├(1)readme.txt", {});                      // 3
  store.Append("│  ├(2)Ärger.txt", {});                       // 4
  store.Append("│  └█", {});                                  // 5
  store.Append("├(2)ab", {});                                 // 6
  store.Append("cd", {});                                     // 7
  store.Append("└█", {});                                     // 8
}

struct TFindCase {
  const char* name;
  const char16_t* text;
  bool caseSensitive;
  bool forward;
  TTextPosition from;
  TTextRange match;  // empty: not found
  bool wrapped;
};

class ListingFindTest : public ::testing::TestWithParam<TFindCase> {};

TEST_P(ListingFindTest, FindsTheNextMatchInEitherDirection) {
  const TFindCase& c = GetParam();
  TLineStore store;
  Fill(store);
  const TFindRequest request{QString::fromUtf16(c.text), c.caseSensitive, c.forward};
  // In large slices and in slices of a byte or two: the same match.
  for (const std::size_t slice : {std::size_t{1} << 20, std::size_t{1}, std::size_t{3}}) {
    bool wrapped = false;
    EXPECT_EQ(SearchAll(store, request, c.from, slice, &wrapped), c.match) << "slice " << slice;
    if (!c.match.IsEmpty()) {
      EXPECT_EQ(wrapped, c.wrapped) << "slice " << slice;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ListingFindTest,
    ::testing::Values(
        TFindCase{"forward", u"readme", false, true, {0, 0}, {{1, 4}, {1, 10}}, false},
        TFindCase{"from_after_a_match", u"readme", false, true, {1, 10}, {{3, 7}, {3, 13}}, false},
        TFindCase{"case_sensitive", u"readme", true, true, {0, 0}, {{3, 7}, {3, 13}}, false},
        TFindCase{"wraps_at_the_end", u"readme", false, true, {3, 13}, {{1, 4}, {1, 10}}, true},
        TFindCase{"match_at_from", u"README", true, true, {1, 4}, {{1, 4}, {1, 10}}, false},
        TFindCase{"backward", u"readme", false, false, {3, 7}, {{1, 4}, {1, 10}}, false},
        TFindCase{"backward_wraps", u"readme", false, false, {1, 4}, {{3, 7}, {3, 13}}, true},
        TFindCase{"chinese", u"文档", false, true, {0, 0}, {{2, 7}, {2, 9}}, false},
        TFindCase{"chinese_backward", u"用户", false, false, {8, 2}, {{0, 6}, {0, 8}}, false},
        TFindCase{"box_glyphs", u"└█", false, true, {6, 0}, {{8, 0}, {8, 2}}, false},
        TFindCase{"never_across_lines", u"abcd", false, true, {0, 0}, {}, false},
        TFindCase{"not_found", u"nowhere", false, true, {4, 2}, {}, false},
        // Letters with a case beyond ASCII follow Qt's case rules, line by line.
        TFindCase{"other_letters_blind", u"ärger", false, true, {0, 0}, {{4, 7}, {4, 12}}, false},
        TFindCase{
            "other_letters_backward", u"ÄRGER", false, false, {2, 0}, {{4, 7}, {4, 12}}, true},
        TFindCase{"other_letters_exact", u"ärger", true, true, {0, 0}, {}, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ListingFindLargeTest, FindsAcrossChunksAndAtTheFarEnd) {
  // Enough text for several 4 MiB chunks; the one match sits at the far end, and a near miss
  // straddles the end of one line and the start of the next.
  TLineStore store;
  const std::string filler = "│  │  ├(123)file-000123.txt";
  for (int i = 0; i < 400'000; ++i) store.Append(filler, {});
  store.Append("xx-nee", {});
  store.Append("dle", {});
  store.Append("│  ├(9)the-needle.txt", {});
  ASSERT_GT(store.ChunkCount(), 2u);
  const TFindRequest request{QStringLiteral("NEEDLE"), false, true};
  EXPECT_EQ(SearchAll(store, request, {0, 0}, 1 << 16), (TTextRange{{400'002, 11}, {400'002, 17}}));
  const TFindRequest back{QStringLiteral("needle"), false, false};
  EXPECT_EQ(SearchAll(store, back, {5, 0}, 1 << 16), (TTextRange{{400'002, 11}, {400'002, 17}}));
}

TEST(ListingFindLargeTest, SearchesOnlyTheLinesOfASnapshot) {
  TLineStore store;
  store.Append("needle before", {});
  store.Append("hay", {});
  store.Append("needle after", {});
  const TLineSnapshot middle = store.Snapshot(1, 2);
  EXPECT_TRUE(SearchAll(middle, {QStringLiteral("needle"), false, true}, {0, 0}, 100).IsEmpty());
  EXPECT_EQ(SearchAll(middle, {QStringLiteral("ay"), false, true}, {0, 0}, 100),
            (TTextRange{{0, 1}, {0, 3}}));
}

}  // namespace
