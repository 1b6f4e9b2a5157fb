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
                      TDisplayCase{"latin1 caf\xe9", "latin1 caf\\xE9"},
                      // A name's own backslash is doubled, so that it never reads as an escape.
                      TDisplayCase{"a\\x0Ab\\", "a\\\\x0Ab\\\\"},
                      // Bidirectional formatting characters would reorder what follows them.
                      TDisplayCase{"photo\u202Egnp.exe", "photo\\xE2\\x80\\xAEgnp.exe"},
                      TDisplayCase{"\u200E\u200F\u061C",
                                   "\\xE2\\x80\\x8E\\xE2\\x80\\x8F\\xD8\\x9C"},
                      TDisplayCase{"\u202A\u202B\u202C\u202D",
                                   "\\xE2\\x80\\xAA\\xE2\\x80\\xAB\\xE2\\x80\\xAC\\xE2\\x80\\xAD"},
                      TDisplayCase{"\u2066\u2067\u2068\u2069",
                                   "\\xE2\\x81\\xA6\\xE2\\x81\\xA7\\xE2\\x81\\xA8\\xE2\\x81\\xA9"},
                      // Their neighbours are ordinary text: U+200D, U+2065, U+206A, U+061B.
                      TDisplayCase{"\u200D\u2065\u206A\u061B", "\u200D\u2065\u206A\u061B"}));

}  // namespace
}  // namespace kestrova
