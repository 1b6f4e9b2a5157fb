// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#include "volumes.h"

#include <dirent.h>
#include <stdlib.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <sstream>

#include "displayText.h"

namespace kestrova::tree {
namespace {

bool IsOctal(char c) { return c >= '0' && c <= '7'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The kernel writes space, tab, line feed and backslash in mountinfo as \ooo.
std::string UndoOctalEscapes(std::string_view field) {
  std::string out;
  for (std::size_t at = 0; at < field.size(); ++at) {
    if (field[at] == '\\' && at + 3 < field.size() && IsOctal(field[at + 1]) &&
        IsOctal(field[at + 2]) && IsOctal(field[at + 3])) {
      out += static_cast<char>((field[at + 1] - '0') * 64 + (field[at + 2] - '0') * 8 +
                               (field[at + 3] - '0'));
      at += 3;
    } else {
      out += field[at];
    }
  }
  return out;
}

// udev names its label links with \xHH for every byte that is not safe in a file name.
std::string UndoHexEscapes(std::string_view name) {
  std::string out;
  for (std::size_t at = 0; at < name.size(); ++at) {
    if (name[at] == '\\' && at + 3 < name.size() && name[at + 1] == 'x' &&
        HexValue(name[at + 2]) >= 0 && HexValue(name[at + 3]) >= 0) {
      out += static_cast<char>(HexValue(name[at + 2]) * 16 + HexValue(name[at + 3]));
      at += 3;
    } else {
      out += name[at];
    }
  }
  return out;
}

std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t at = 0;
  while (at < line.size()) {
    const std::size_t end = std::min(line.find(' ', at), line.size());
    if (end > at) fields.push_back(line.substr(at, end - at));
    at = end + 1;
  }
  return fields;
}

// The path with every link resolved; the path itself where that cannot be done.
std::string Resolved(const std::string& path) {
  const std::unique_ptr<char, decltype(&::free)> resolved(::realpath(path.c_str(), nullptr),
                                                          &::free);
  return resolved ? std::string(resolved.get()) : path;
}

// `ancestor` is `folder` or a folder above it, both absolute paths within one file system.
bool IsAtOrAbove(std::string_view ancestor, std::string_view folder) {
  if (ancestor == "/" || ancestor == folder) return true;
  return folder.starts_with(ancestor) && folder.size() > ancestor.size() &&
         folder[ancestor.size()] == '/';
}

// How many folders down from the top of its file system `root` lies: 0 for "/".
std::ptrdiff_t Depth(std::string_view root) {
  return root == "/" ? 0 : std::count(root.begin(), root.end(), '/');
}

std::string ReadWhole(const char* path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

}  // namespace

std::vector<TMount> ParseMountInfo(std::string_view text) {
  std::vector<TMount> mounts;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    const std::vector<std::string_view> fields = Fields(text.substr(at, end - at));
    at = end + 1;
    // id, parent, major:minor, root, mount point, options, optional fields..., "-", type, source
    const auto separator = std::find(fields.begin(), fields.end(), "-");
    if (separator - fields.begin() < 6 || fields.end() - separator < 3) continue;
    mounts.push_back({std::string(fields[2]), UndoOctalEscapes(fields[3]),
                      UndoOctalEscapes(fields[4]), UndoOctalEscapes(separator[2])});
  }
  return mounts;
}

TVolumeLabels ReadVolumeLabels(const std::string& folder) {
  TVolumeLabels labels;
  struct TCloseDir {
    void operator()(DIR* dir) const { ::closedir(dir); }
  };
  const std::unique_ptr<DIR, TCloseDir> dir(::opendir(folder.c_str()));
  if (!dir) return labels;
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    const std::string link = folder + "/" + std::string(name);
    const std::string node = Resolved(link);
    if (node != link) labels.emplace(node, UndoHexEscapes(name));
  }
  return labels;
}

TFolderRows ListedVolumes(const std::vector<TMount>& mounts, const TVolumeLabels& labels) {
  // A mount at a place that a later mount takes again is out of sight.
  std::vector<const TMount*> visible;
  for (std::size_t i = 0; i < mounts.size(); ++i) {
    const bool hidden =
        std::any_of(mounts.begin() + static_cast<std::ptrdiff_t>(i) + 1, mounts.end(),
                    [&](const TMount& later) { return later.mountPoint == mounts[i].mountPoint; });
    if (!hidden) visible.push_back(&mounts[i]);
  }

  // What "/" shows is in the tree in any case; then every volume, the mounts of whole file systems
  // and of shallower folders first, unless a mount already taken shows it from there or above.
  std::vector<const TMount*> candidates, taken;
  for (const TMount* mount : visible) {
    if (mount->mountPoint == "/") {
      taken.push_back(mount);
    } else if (mount->source.starts_with("/dev/")) {
      candidates.push_back(mount);
    }
  }
  std::stable_sort(candidates.begin(), candidates.end(), [](const TMount* a, const TMount* b) {
    return Depth(a->root) < Depth(b->root);
  });
  std::vector<const TMount*> listed;
  for (const TMount* mount : candidates) {
    const bool shown = std::any_of(taken.begin(), taken.end(), [&](const TMount* other) {
      return other->device == mount->device && IsAtOrAbove(other->root, mount->root);
    });
    if (shown) continue;
    taken.push_back(mount);
    listed.push_back(mount);
  }

  TFolderRows rows;
  for (const TMount* mount : visible) {
    if (std::find(listed.begin(), listed.end(), mount) == listed.end()) continue;
    const auto label = labels.find(Resolved(mount->source));
    const bool labelled = label != labels.end() && !label->second.empty();
    rows.push_back({mount->mountPoint, DisplayText(labelled ? label->second : mount->mountPoint)});
  }
  return rows;
}

TFolderRows MountedVolumes() {
  return ListedVolumes(ParseMountInfo(ReadWhole("/proc/self/mountinfo")), ReadVolumeLabels());
}

}  // namespace kestrova::tree
