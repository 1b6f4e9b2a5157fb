// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
// UTF-8 bytes against UTF-16 columns, and the pane's text seen as one string by offset.
#include <gtest/gtest.h>

#include <QString>
#include <string>
#include <vector>

#include "lineOffsets.h"
#include "lineStore.h"
#include "utf8Text.h"

namespace {

TEST(Utf8TextTest, ColumnsAndBytesAgreeWithQString) {
  // ASCII, Chinese and box glyphs (3 bytes, 1 unit), an emoji (4 bytes, 2 units), a bad byte.
  const std::vector<std::string> texts = {"",
                                          "plain.txt",
                                          "├文件夹3：[我的文档]",
                                          "a😀b",
                                          "x\xff"
                                          "y",
                                          "\xe4\xb8"};
  for (const std::string& text : texts) {
    const QString string = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    ASSERT_EQ(Utf16Length(text), static_cast<std::size_t>(string.size())) << text;
    for (qsizetype column = 0; column <= string.size(); ++column) {
      if (column > 0 && string[column - 1].isHighSurrogate()) continue;  // inside a pair
      const std::size_t bytes = ByteOffsetOfColumn(text, static_cast<std::size_t>(column));
      EXPECT_EQ(QString::fromUtf8(text.data(), static_cast<qsizetype>(bytes)), string.left(column))
          << text << " column " << column;
      EXPECT_EQ(ColumnOfByteOffset(text, bytes), static_cast<std::size_t>(column));
    }
    EXPECT_EQ(ByteOffsetOfColumn(text, 1000), text.size());
  }
}

TEST(LineOffsetsTest, MatchesTheJoinedText) {
  // Enough lines for several blocks of the index, some empty, some wide.
  TLineStore store;
  QString joined;
  for (int i = 0; i < 300; ++i) {
    const std::string text =
        i % 7 == 0 ? "" : (i % 3 == 0 ? "├文件夹😀" : "file-") + std::to_string(i);
    store.Append(text, {});
    if (i > 0) joined += QLatin1Char('\n');
    joined += QString::fromStdString(text);
  }
  TLineOffsets offsets;
  EXPECT_EQ(offsets.Length(store), static_cast<std::size_t>(joined.size()));
  // Asked out of order, as a screen reader jumps about.
  for (const std::size_t line : {250u, 3u, 0u, 299u, 64u, 128u, 127u}) {
    const std::size_t offset = offsets.OffsetOf(store, line);
    EXPECT_EQ(joined.left(static_cast<qsizetype>(offset)).count(QLatin1Char('\n')),
              static_cast<qsizetype>(line));
    EXPECT_TRUE(offset == 0 || joined[static_cast<qsizetype>(offset) - 1] == QLatin1Char('\n'));
  }
  for (std::size_t offset = 0; offset <= static_cast<std::size_t>(joined.size()); offset += 7) {
    const TTextPosition at = offsets.PositionAt(store, offset);
    EXPECT_EQ(offsets.OffsetOf(store, at.line) + static_cast<std::size_t>(at.column), offset);
  }
  const TTextPosition end = offsets.PositionAt(store, 1'000'000);
  EXPECT_EQ(end.line, 299u);
  EXPECT_EQ(end.column, static_cast<int>(Utf16Length(store.Text(299))));
}

TEST(LineOffsetsTest, FollowsAppendsAndReset) {
  TLineStore store;
  TLineOffsets offsets;
  for (int i = 0; i < 100; ++i) store.Append("ab", {});
  EXPECT_EQ(offsets.Length(store), 299u);
  for (int i = 0; i < 100; ++i) store.Append("文", {});
  EXPECT_EQ(offsets.Length(store), 299u + 200u);
  EXPECT_EQ(offsets.OffsetOf(store, 150), 300u + 100u);
  store.Clear();
  offsets.Reset();
  store.Append("xyz", {});
  EXPECT_EQ(offsets.Length(store), 3u);
  EXPECT_EQ(offsets.PositionAt(store, 2), (TTextPosition{0, 2}));
}

}  // namespace
