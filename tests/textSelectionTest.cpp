// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
// Selection in the pane: which part of a line a selection covers, and what a word is.
#include <gtest/gtest.h>

#include <QString>
#include <optional>

#include "textSelection.h"

namespace {

struct TClipCase {
  const char* name;
  TTextRange range;
  std::size_t line;
  int length;
  std::optional<TColumns> covered;
};

class ClipToLineTest : public ::testing::TestWithParam<TClipCase> {};

TEST_P(ClipToLineTest, CoversWhatTheRangeReaches) {
  const TClipCase& c = GetParam();
  EXPECT_EQ(ClipToLine(c.range, c.line, c.length), c.covered);
}

constexpr int kEnd = TTextPosition::kLineEnd;

INSTANTIATE_TEST_SUITE_P(
    Cases, ClipToLineTest,
    ::testing::Values(
        // Within one line: only the columns between, never on to the line's end.
        TClipCase{"part of one line", {{4, 2}, {4, 5}}, 4, 10, TColumns{2, 5}},
        TClipCase{"first line of several", {{4, 2}, {6, 3}}, 4, 10, TColumns{2, 10}},
        TClipCase{"line passed through", {{4, 2}, {6, 3}}, 5, 7, TColumns{0, 7}},
        TClipCase{"last line of several", {{4, 2}, {6, 3}}, 6, 10, TColumns{0, 3}},
        TClipCase{"ends at a line's start", {{4, 2}, {5, 0}}, 5, 10, TColumns{0, 0}},
        TClipCase{"line before", {{4, 2}, {6, 3}}, 3, 10, std::nullopt},
        TClipCase{"line after", {{4, 2}, {6, 3}}, 7, 10, std::nullopt},
        TClipCase{"empty range", {{4, 2}, {4, 2}}, 4, 10, std::nullopt},
        TClipCase{"line end marker", {{4, 0}, {4, kEnd}}, 4, 10, TColumns{0, 10}},
        TClipCase{"columns past a short line", {{4, 20}, {5, 30}}, 4, 10, TColumns{10, 10}}),
    [](const auto& info) {
      std::string name = info.param.name;
      for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
      return name;
    });

TEST(SelectionTest, OrderedPutsTheEarlierPositionFirst) {
  EXPECT_EQ(Ordered({5, 1}, {2, 8}), (TTextRange{{2, 8}, {5, 1}}));
  EXPECT_EQ(Ordered({2, 3}, {2, 1}), (TTextRange{{2, 1}, {2, 3}}));
}

struct TWordCase {
  const char16_t* text;
  int column;
  TColumns word;
};

class WordAtTest : public ::testing::TestWithParam<TWordCase> {};

TEST_P(WordAtTest, SelectsWholeNames) {
  const TWordCase& c = GetParam();
  EXPECT_EQ(WordAt(QString::fromUtf16(c.text), c.column), c.word)
      << QString::fromUtf16(c.text).toStdString() << " at " << c.column;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WordAtTest,
    ::testing::Values(
        // "├(12)file-000123.txt": the file name is one word, its dots and dashes included.
        TWordCase{u"├(12)file-000123.txt", 7, {5, 20}},
        TWordCase{u"├(12)file-000123.txt", 16, {5, 20}},
        TWordCase{u"├(12)file-000123.txt", 20, {5, 20}},  // just after its last letter
        TWordCase{u"├(12)file-000123.txt", 2, {2, 4}},    // the number, not the parentheses
        TWordCase{u"├(12)file-000123.txt", 0, {0, 0}},    // a box-drawing glyph is no word
        TWordCase{u"├文件夹3：[我的 文档.v2]", 8, {7, 9}},
        TWordCase{u"├文件夹3：[我的 文档.v2]", 12, {10, 15}},
        TWordCase{u"├文件夹3：[folder-001944]", 2, {1, 5}}, TWordCase{u"│  │  └█", 3, {3, 3}},
        TWordCase{u"archive.tar.gz~ v1.2_final+@x", 3, {0, 15}},
        TWordCase{u"archive.tar.gz~ v1.2_final+@x", 20, {16, 29}}, TWordCase{u"", 0, {0, 0}}));

TEST(SelectionTest, WordStepsGoFromWordStartToWordStart) {
  const QString line = QStringLiteral("├(3)read me.txt");
  // Ctrl+Right from the start: past the glyph and parenthesis to the number, then to the names.
  EXPECT_EQ(NextWordStart(line, 0), 2);
  EXPECT_EQ(NextWordStart(line, 2), 4);
  EXPECT_EQ(NextWordStart(line, 4), 9);
  EXPECT_EQ(NextWordStart(line, 9), 15);  // the last word: on to the end of the line
  EXPECT_EQ(PreviousWordStart(line, 15), 9);
  EXPECT_EQ(PreviousWordStart(line, 9), 4);
  EXPECT_EQ(PreviousWordStart(line, 6), 4);
  EXPECT_EQ(PreviousWordStart(line, 2), 0);
}

}  // namespace
