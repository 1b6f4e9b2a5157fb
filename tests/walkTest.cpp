// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
// The walk and the Output command over a scripted file system, so that every case can fix the
// order in which entries are yielded and check the listing line by line.
#include <gtest/gtest.h>

#include "outputDirTree.h"
#include "recordedLines.h"
#include "scriptedDirSource.h"
#include "statusRecorder.h"

namespace kestrova::testing {
namespace {

using TFolders = std::map<std::string, std::vector<TScriptedEntry>>;

TRecordedLine Blue(std::string text) { return {std::move(text), clBlue, true}; }
TRecordedLine Green(std::string text, bool bold = false) {
  return {std::move(text), clGreen, bold};
}
TRecordedLine Red(std::string text) { return {std::move(text), clRed, false}; }

struct TWalkCase {
  std::string name;
  std::string path;
  TFolders folders;
  std::vector<TRecordedLine> expected;
};

void PrintTo(const TWalkCase& walk, std::ostream* out) { *out << walk.name; }

class WalkTest : public ::testing::TestWithParam<TWalkCase> {};

TEST_P(WalkTest, WritesTheListingLineByLine) {
  const TWalkCase& walk = GetParam();
  TScriptedDirSource source(walk.folders);
  TRecordingSink sink;
  TStatusRecorder status;

  RunOutputCommand(walk.path, sink, status, source);

  EXPECT_EQ(sink.Lines(), walk.expected);
  EXPECT_EQ(status.texts, (std::vector<std::string>{"正在输出...", "输出完成！"}));
  EXPECT_EQ(source.OpenSearches(), 0);
}

const TFolders kWorkedExample = {
    {"/work", {File("a.txt"), Folder("docs"), File("b.txt")}},
    {"/work/docs", {File("readme.txt"), Folder("img")}},
    {"/work/docs/img", {}},
};

INSTANTIATE_TEST_SUITE_P(
    Listings, WalkTest,
    ::testing::Values(
        TWalkCase{"WorkedExample",
                  "/work",
                  kWorkedExample,
                  {Blue("/work"), Red("├(1)a.txt"), Green("├文件夹1：[docs]"),
                   Red("│  ├(1)readme.txt"), Green("│  ├文件夹1：[img]"), Green("│  │  └█"),
                   Green("│  └█"), Red("├(2)b.txt"), Red("└█")}},
        // A folder line keeps the heading's bold until the first file line resets the style.
        TWalkCase{"FolderFirstIsBold",
                  "/work",
                  {{"/work", {Folder("docs"), File("a.txt"), File("b.txt")}},
                   {"/work/docs", {File("readme.txt"), Folder("img")}},
                   {"/work/docs/img", {}}},
                  {Blue("/work"), Green("├文件夹1：[docs]", true), Red("│  ├(1)readme.txt"),
                   Green("│  ├文件夹1：[img]"), Green("│  │  └█"), Green("│  └█"), Red("├(1)a.txt"),
                   Red("├(2)b.txt"), Red("└█")}},
        TWalkCase{"FoldersAndFilesNumberedApart",
                  "r",
                  {{"r", {File("f1"), Folder("d1"), File("f2"), Folder("d2"), File("f3")}},
                   {"r/d1", {Folder("inner"), File("g")}},
                   {"r/d1/inner", {}},
                   {"r/d2", {}}},
                  {Blue("r"), Red("├(1)f1"), Green("├文件夹1：[d1]"), Green("│  ├文件夹1：[inner]"),
                   Green("│  │  └█"), Red("│  ├(1)g"), Red("│  └█"), Red("├(2)f2"),
                   Green("├文件夹2：[d2]"), Green("│  └█"), Red("├(3)f3"), Red("└█")}},
        // Dot folders are neither counted nor walked; dot files are listed like any file.
        TWalkCase{
            "DotEntries",
            "r",
            {{"r", {Folder("."), Folder(".."), Folder(".git"), File(".profile"), Folder("d")}},
             {"r/.git", {File("HEAD")}},
             {"r/d", {}}},
            {Blue("r"), Red("├(1).profile"), Green("├文件夹1：[d]"), Green("│  └█"), Green("└█")}},
        TWalkCase{
            "EmptyFolder", "r", {{"r", {Folder("."), Folder("..")}}}, {Blue("r"), Blue("└█")}},
        // A root that yields nothing at all still closes once it has been searched.
        TWalkCase{"NoEntriesAtAll", "/", {{"/", {}}}, {Blue("/"), Blue("└█")}},
        TWalkCase{"UnsearchableSubfolder",
                  "r",
                  {{"r", {Folder("locked"), File("f")}}},
                  {Blue("r"), Green("├文件夹1：[locked]", true), Red("├(1)f"), Red("└█")}},
        TWalkCase{"NotAFolder", "missing", {}, {Blue("missing")}},
        TWalkCase{"EmptyPath", "", {}, {Blue("")}},
        // Names reach the sink as text that cannot break a line or carry a terminal escape.
        TWalkCase{"HostileNames",
                  "r\x1b",
                  {{"r\x1b", {File("a\nb"), Folder("\xff")}}, {"r\x1b/\xff", {File("x")}}},
                  {Blue("r\\x1B"), Red("├(1)a\\x0Ab"), Green("├文件夹1：[\\xFF]"), Red("│  ├(1)x"),
                   Red("│  └█"), Red("└█")}}),
    [](const auto& info) { return info.param.name; });

TEST(OutputDirTreeTest, PrefixAndPadCountStartEveryLine) {
  TScriptedDirSource source({{"r", {File("f"), Folder("d")}}, {"r/d", {}}});
  TRecordingSink sink;
  ASSERT_TRUE(OutputDirTree("r", ">", 2, sink, source));
  std::vector<std::string> texts;
  for (const auto& line : sink.Lines()) texts.push_back(line.text);
  EXPECT_EQ(texts, (std::vector<std::string>{">  ├(1)f", ">  ├文件夹1：[d]", ">  │  └█", ">  └█"}));

  TRecordingSink unpadded;
  ASSERT_TRUE(OutputDirTree("r/d", ">", -3, unpadded, source));
  EXPECT_EQ(unpadded.Lines().front().text, ">└█");
  EXPECT_FALSE(OutputDirTree("nowhere", "", 0, unpadded, source));
}

// Whichever line the output fails at, nothing after it is written, the lines before it stay, the
// status stays "running" and every folder the walk opened is closed again.
TEST(OutputCommandTest, FailingLineEndsTheWalkAtEveryLevel) {
  TScriptedDirSource source(kWorkedExample);
  TRecordingSink complete;
  TStatusRecorder ignored;
  RunOutputCommand("/work", complete, ignored, source);

  for (std::size_t capacity = 0; capacity < complete.Lines().size(); ++capacity) {
    SCOPED_TRACE("capacity " + std::to_string(capacity));
    TRecordingSink sink(capacity);
    TStatusRecorder status;
    try {
      RunOutputCommand("/work", sink, status, source);
      ADD_FAILURE() << "the full output did not fail";
    } catch (const ELineInsertionError& error) {
      EXPECT_STREQ(error.what(), "RichEdit line insertion error");
    }
    const std::vector<TRecordedLine> written(complete.Lines().begin(),
                                             complete.Lines().begin() + capacity);
    EXPECT_EQ(sink.Lines(), written);
    EXPECT_EQ(status.texts, std::vector<std::string>{"正在输出..."});
    EXPECT_EQ(source.OpenSearches(), 0);
  }
}

TEST(OutputCommandTest, SecondRunStartsFromAClearedSink) {
  TScriptedDirSource source(kWorkedExample);
  TRecordingSink once, twice;
  TStatusRecorder status;
  RunOutputCommand("/work", once, status, source);
  RunOutputCommand("/work", twice, status, source);
  RunOutputCommand("/work", twice, status, source);
  EXPECT_EQ(twice.Lines(), once.Lines());
}

// The attribute rules a sink must keep, on the recording sink every other test relies on.
TEST(RecordingSinkTest, LinesKeepTheAttributesCurrentWhenAdded) {
  TRecordingSink sink;
  sink.SetBold(true);
  sink.SetColor(clGreen);
  sink.AddLine("bold green");
  sink.AddLine("");
  sink.SetBold(false);
  sink.SetColor(clRed);
  sink.AddLine("regular red");
  sink.SetColor(clBlue);
  EXPECT_EQ(sink.Lines(), (std::vector<TRecordedLine>{{"bold green", clGreen, true},
                                                      {"", clGreen, true},
                                                      {"regular red", clRed, false}}));
}

}  // namespace
}  // namespace kestrova::testing
