// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#include <gtest/gtest.h>

#include "displayText.h"

namespace kestrova {
namespace {

struct TDisplayCase {
  std::string raw;
  std::string shown;
};

void PrintTo(const TDisplayCase& name, std::ostream* out) { *out << name.shown; }

class DisplayTextTest : public ::testing::TestWithParam<TDisplayCase> {};

TEST_P(DisplayTextTest, ShowsNamesAsOneLineOfText) {
  EXPECT_EQ(DisplayText(GetParam().raw), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Names, DisplayTextTest,
    ::testing::Values(TDisplayCase{"plain name.txt", "plain name.txt"}, TDisplayCase{"", ""},
                      TDisplayCase{"文件夹 ├█ ✓ 😀", "文件夹 ├█ ✓ 😀"},
                      TDisplayCase{"a\nb\tc\rd", "a\\x0Ab\\x09c\\x0Dd"},
                      TDisplayCase{std::string("nul\0end", 7), "nul\\x00end"},
                      TDisplayCase{"\x1b[31mred\x7f", "\\x1B[31mred\\x7F"},
                      // C1 controls are as dangerous to a terminal as C0: U+009B is a CSI.
                      TDisplayCase{"\xc2\x9b"
                                   "2J \xc2\xa0",
                                   "\\xC2\\x9B2J \xc2\xa0"},
                      // Bytes of no valid sequence: stray continuation, truncated, overlong,
                      // surrogate, past U+10FFFF, and a lead byte cut off by the end of the name.
                      TDisplayCase{"\x80x\xbf", "\\x80x\\xBF"},
                      TDisplayCase{"\xe6\x96x", "\\xE6\\x96x"},
                      TDisplayCase{"\xc0\xaf\xe0\x80\xaf", "\\xC0\\xAF\\xE0\\x80\\xAF"},
                      TDisplayCase{"\xed\xa0\x80", "\\xED\\xA0\\x80"},
                      TDisplayCase{"\xf4\x90\x80\x80", "\\xF4\\x90\\x80\\x80"},
                      TDisplayCase{"\xf0\x9f\x98\x80\xf0", "😀\\xF0"},
                      TDisplayCase{"latin1 caf\xe9", "latin1 caf\\xE9"}));

}  // namespace
}  // namespace kestrova
