// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#pragma once

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "recordingSink.h"

namespace kestrova {

inline const char* ColorName(TColor color) {
  if (color == clBlue) return "blue";
  if (color == clGreen) return "green";
  if (color == clRed) return "red";
  return "other";
}

// Lets GoogleTest show a failing line as text, colour and style.
inline void PrintTo(const TRecordedLine& line, std::ostream* out) {
  *out << '"' << line.text << "\" " << ColorName(line.color) << (line.bold ? " bold" : " regular");
}

namespace testing {

// A listing reduced to what does not depend on the order in which the file system yields entries:
// one item per line, sorted. A file is its path below the chosen folder ("docs/readme.txt"), a
// folder its path with a slash ("docs/"), a closing line its folder's path and "$end" ("docs/$end",
// "$end" for the chosen folder). The heading is left out.
inline std::vector<std::string> Outline(const std::vector<TRecordedLine>& lines) {
  constexpr std::string_view kLevel = "│  ";
  std::vector<std::string> items;
  std::vector<std::string> folders;  // the folder names down to the current line's folder
  for (std::size_t i = 1; i < lines.size(); ++i) {
    std::string_view text = lines[i].text;
    std::size_t depth = 0;
    while (text.starts_with(kLevel)) {
      text.remove_prefix(kLevel.size());
      ++depth;
    }
    folders.resize(std::min(depth, folders.size()));
    std::string path;
    for (const std::string& folder : folders) path += folder + "/";
    if (text == "└█") {
      items.push_back(path + "$end");
    } else if (text.starts_with("├文件夹")) {
      const std::string name(text.substr(text.find('[') + 1, text.rfind(']') - text.find('[') - 1));
      items.push_back(path + name + "/");
      folders.push_back(name);
    } else {
      items.push_back(path + std::string(text.substr(text.find(')') + 1)));
    }
  }
  std::sort(items.begin(), items.end());
  return items;
}

}  // namespace testing
}  // namespace kestrova
