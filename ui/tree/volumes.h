// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "folderRow.h"

namespace kestrova::tree {

// One line of /proc/self/mountinfo, its escapes undone.
struct TMount {
  std::string device;      // "major:minor" of the file system
  std::string root;        // the folder of that file system that is mounted: "/" for all of it
  std::string mountPoint;  // where it is mounted
  std::string source;      // what is mounted: a device node, or a name such as "proc"
};

std::vector<TMount> ParseMountInfo(std::string_view text);

// Volume labels by device node, from udev's folder of links named after the labels. The nodes
// are the links' targets with every link resolved; labels have udev's \xHH escapes undone.
using TVolumeLabels = std::map<std::string, std::string>;
TVolumeLabels ReadVolumeLabels(const std::string& folder = "/dev/disk/by-label");

// The volumes that "计算机" lists besides "/", in the order they were mounted, each named by its
// label where it has one and by where it is mounted otherwise. A volume is a file system on a
// device node ("/dev/..."); left out are the ones that are already in the tree: a mount of a
// folder (or of the whole) of a file system that another listed mount, or "/", shows from that
// folder or above (bind mounts), and mounts hidden by a later mount at the same place.
// Neither the volumes nor their mount points are touched, so a hung mount cannot hold this up.
TFolderRows ListedVolumes(const std::vector<TMount>& mounts, const TVolumeLabels& labels);

// ListedVolumes of this process's mounts and the system's labels.
TFolderRows MountedVolumes();

}  // namespace kestrova::tree
