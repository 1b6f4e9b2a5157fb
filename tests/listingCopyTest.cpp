// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
// What a copy from the pane carries: plain text of exactly the selection, and HTML with each
// line's colour and weight.
#include <gtest/gtest.h>

#include <QMimeData>
#include <QString>

#include "listingCopy.h"

namespace {

using kestrova::clBlue;
using kestrova::clGreen;
using kestrova::clRed;

// The heading, a folder line with a name of Chinese and markup, a file line, a closing line.
void Fill(TLineStore& store) {
  store.Append("/home/我/x", {clBlue, true});
  store.Append("├文件夹1：[<b>&\"x\"]", {clGreen, true});
  store.Append("│  ├(1)a  b.txt", {clRed, false});
  store.Append("│  └█", {clRed, false});
}

struct TTextCase {
  const char* name;
  TTextRange range;
  const char* text;
};

class ListingTextTest : public ::testing::TestWithParam<TTextCase> {};

TEST_P(ListingTextTest, CopiesExactlyTheSelection) {
  TLineStore store;
  Fill(store);
  EXPECT_EQ(QString::fromUtf8(ListingText(store, GetParam().range)),
            QString::fromUtf8(GetParam().text));
}

constexpr int kEnd = TTextPosition::kLineEnd;

INSTANTIATE_TEST_SUITE_P(Cases, ListingTextTest,
                         ::testing::Values(
                             // Part of one line stops at the selection's end, not at the line's.
                             TTextCase{"part_of_a_line", {{2, 7}, {2, 8}}, "a"},
                             TTextCase{"chinese_part", {{1, 1}, {1, 4}}, "文件夹"},
                             TTextCase{"across_lines", {{0, 6}, {1, 4}}, "我/x\n├文件夹"},
                             TTextCase{
                                 "to_the_next_line_start", {{2, 3}, {3, 0}}, "├(1)a  b.txt\n"},
                             TTextCase{"everything",
                                       {{0, 0}, {3, kEnd}},
                                       "/home/我/x\n├文件夹1：[<b>&\"x\"]\n│  ├(1)a  b.txt\n│  └█"},
                             TTextCase{"nothing", {{1, 2}, {1, 2}}, ""}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ListingHtmlTest, KeepsColoursWeightsAndSpacesAndNamesStayText) {
  TLineStore store;
  Fill(store);
  const TTextRange all{{0, 0}, {3, kEnd}};
  const QByteArray html = ListingHtml(store, all);
  EXPECT_EQ(static_cast<std::size_t>(html.size()), ListingHtmlSize(store, all));
  const QString text = QString::fromUtf8(html);
  EXPECT_TRUE(text.contains(
      QStringLiteral("<span style=\"color:#0000ff;font-weight:bold\">/home/我/x</span><br>\n")))
      << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral(
      "<span "
      "style=\"color:#008000;font-weight:bold\">├文件夹1：[&lt;b&gt;&amp;&quot;x&quot;]</span>")));
  // Runs of spaces keep their width: every space after the first of a run is a hard one.
  EXPECT_TRUE(text.contains(
      QStringLiteral("<span style=\"color:#ff0000\">│ &nbsp;├(1)a &nbsp;b.txt</span><br>\n")));
  EXPECT_TRUE(
      text.contains(QStringLiteral("<span style=\"color:#ff0000\">│ &nbsp;└█</span>\n</div>")));
  EXPECT_FALSE(text.contains(QStringLiteral("<b>")));
  EXPECT_TRUE(text.startsWith(QStringLiteral("<!DOCTYPE html>")));

  // A part of a line: just that part, in its line's colour; a space at its start is kept.
  const QString part = QString::fromUtf8(ListingHtml(store, {{2, 8}, {2, 10}}));
  EXPECT_TRUE(part.contains(QStringLiteral("<span style=\"color:#ff0000\">&nbsp;&nbsp;</span>")))
      << part.toStdString();
}

TEST(ListingMimeDataTest, IsASnapshotOfTheSelectionInTextAndHtml) {
  TLineStore store;
  Fill(store);
  const TListingMimeData copy(store, {{1, 1}, {2, 4}});
  store.Clear();
  store.Append("something else", {clRed, false});

  EXPECT_EQ(copy.formats(), (QStringList{"text/plain", "text/html"}));
  EXPECT_TRUE(copy.hasHtml());
  EXPECT_EQ(copy.text(), QStringLiteral("文件夹1：[<b>&\"x\"]\n│  ├"));
  EXPECT_EQ(copy.data("text/plain"), QStringLiteral("文件夹1：[<b>&\"x\"]\n│  ├").toUtf8());
  const QString html = copy.html();
  EXPECT_TRUE(html.contains(QStringLiteral(
      "<span "
      "style=\"color:#008000;font-weight:bold\">文件夹1：[&lt;b&gt;&amp;&quot;x&quot;]</span>")))
      << html.toStdString();
  EXPECT_TRUE(html.contains(QStringLiteral("<span style=\"color:#ff0000\">│ &nbsp;├</span>")));
}

}  // namespace
