// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
// What the folder tree reads without a window: a folder's subfolders, the volumes of the mount
// table and their labels, and the encodings that carry a path's exact bytes.
#include <sys/stat.h>

#include <gtest/gtest.h>
#include <algorithm>
#include <stop_token>

#include "pathEncoding.h"
#include "subfolders.h"
#include "tempTree.h"
#include "volumes.h"

namespace kestrova::tree {
namespace {

using kestrova::testing::TTempTree;
using TPairs = std::vector<std::pair<std::string, std::string>>;

TPairs Pairs(const TFolderRows& rows) {
  TPairs pairs;
  for (const TFolderRow& row : rows) pairs.emplace_back(row.path, row.shown);
  return pairs;
}

TPairs Sorted(TPairs pairs) {
  std::sort(pairs.begin(), pairs.end());
  return pairs;
}

// Folders and links to folders, not files, special files or links to anything else; no hidden
// folders; names kept as bytes and shown escaped.
TEST(SubfoldersTest, FoldersAndLinksToFoldersWithRawPathsAndShownNames) {
  TTempTree tree;
  for (const char* folder : {"b", "a", ".hidden", "文档", "caf\xE9", "target"}) tree.Folder(folder);
  tree.File("file");
  tree.Fifo("fifo");
  tree.Link("target", "to-folder");
  tree.Link("file", "to-file");
  tree.Link("nowhere", "dangling");
  tree.Link("target", ".hidden-link");

  const auto at = [&](const char* name) { return tree.Path(name); };
  EXPECT_EQ(Sorted(Pairs(ReadSubfolders(tree.Root()))), Sorted({{at("a"), "a"},
                                                                {at("b"), "b"},
                                                                {at("caf\xE9"), "caf\\xE9"},
                                                                {at("target"), "target"},
                                                                {at("to-folder"), "to-folder"},
                                                                {at("文档"), "文档"}}));
  EXPECT_EQ(Sorted(Pairs(ReadSubfolders(tree.Root() + "/"))),
            Sorted(Pairs(ReadSubfolders(tree.Root()))));
}

TEST(SubfoldersTest, NothingFromWhatCannotBeReadOrOnceStopped) {
  TTempTree tree;
  tree.Folder("sub");
  tree.File("file");
  EXPECT_TRUE(ReadSubfolders(tree.Path("missing")).empty());
  EXPECT_TRUE(ReadSubfolders(tree.Path("file")).empty());
  std::stop_source stop;
  stop.request_stop();
  EXPECT_TRUE(ReadSubfolders(tree.Root(), stop.get_token()).empty());
}

TEST(MountInfoTest, FieldsWithTheirEscapesUndone) {
  const std::string text =
      "27 1 254:0 / / rw,relatime - ext4 /dev/vda rw\n"
      "40 27 8:17 / /media/u/My\\040Disk rw,nosuid shared:7 master:1 - ext4 /dev/sdb1 rw\n"
      "41 27 8:17 /back\\134slash /srv/x rw - ext4 /dev/sdb1 rw\n"
      "not a mount line\n"
      "21 27 0:20 / /proc rw,relatime - proc proc rw";
  const std::vector<TMount> mounts = ParseMountInfo(text);
  ASSERT_EQ(mounts.size(), 4u);
  EXPECT_EQ(mounts[0].device, "254:0");
  EXPECT_EQ(mounts[0].mountPoint, "/");
  EXPECT_EQ(mounts[1].mountPoint, "/media/u/My Disk");
  EXPECT_EQ(mounts[1].source, "/dev/sdb1");
  EXPECT_EQ(mounts[1].root, "/");
  EXPECT_EQ(mounts[2].root, "/back\\slash");
  EXPECT_EQ(mounts[3].source, "proc");
}

struct TVolumesCase {
  const char* name;
  std::vector<TMount> mounts;
  TPairs listed;  // mount point and shown name
};

class ListedVolumesTest : public ::testing::TestWithParam<TVolumesCase> {};

TEST_P(ListedVolumesTest, ListsWhatAFileManagerLists) {
  const TVolumeLabels labels = {{"/dev/sdb1", "数据"}, {"/dev/sdc1", "Backup\x01"}};
  EXPECT_EQ(Pairs(ListedVolumes(GetParam().mounts, labels)), GetParam().listed);
}

const TMount kRoot{"254:0", "/", "/", "/dev/vda"};

INSTANTIATE_TEST_SUITE_P(
    Mounts, ListedVolumesTest,
    ::testing::Values(
        TVolumesCase{
            "ByLabelWhereTheyHaveOne",
            {kRoot,
             {"8:17", "/", "/media/u/sdb1", "/dev/sdb1"},
             {"8:18", "/", "/mnt/usb", "/dev/sdb2"},
             {"8:33", "/", "/mnt/back", "/dev/sdc1"}},
            {{"/media/u/sdb1", "数据"}, {"/mnt/usb", "/mnt/usb"}, {"/mnt/back", "Backup\\x01"}}},
        TVolumesCase{"NoKernelFileSystems",
                     {{"0:20", "/", "/proc", "proc"},
                      kRoot,
                      {"0:23", "/", "/dev/shm", "tmpfs"},
                      {"0:40", "/", "/mnt/share", "server:/export"}},
                     {}},
        TVolumesCase{"NoBindOfAFolderOfTheRootFileSystem",
                     {kRoot, {"254:0", "/var/lib/x", "/srv/x", "/dev/vda"}},
                     {}},
        TVolumesCase{"NoBindOfAFolderOfAListedVolume",
                     {kRoot,
                      {"8:18", "/photos", "/home/u/photos", "/dev/sdb2"},
                      {"8:18", "/", "/mnt/usb", "/dev/sdb2"}},
                     {{"/mnt/usb", "/mnt/usb"}}},
        TVolumesCase{"ABindIsListedWhereNothingElseShowsItsFolder",
                     {kRoot,
                      {"8:18", "/photos/2026", "/srv/a", "/dev/sdb2"},
                      {"8:18", "/photos", "/srv/b", "/dev/sdb2"},
                      {"8:18", "/music", "/srv/c", "/dev/sdb2"}},
                     {{"/srv/b", "/srv/b"}, {"/srv/c", "/srv/c"}}},
        TVolumesCase{"AWholeVolumeOnceThoughMountedTwice",
                     {kRoot,
                      {"8:18", "/", "/mnt/usb", "/dev/sdb2"},
                      {"8:18", "/", "/media/usb", "/dev/sdb2"}},
                     {{"/mnt/usb", "/mnt/usb"}}},
        TVolumesCase{"SubvolumesOfOneFileSystemThatRootDoesNotShow",
                     {{"0:31", "/@", "/", "/dev/sda2"},
                      {"0:31", "/@home", "/home", "/dev/sda2"},
                      {"0:31", "/@/srv", "/srv", "/dev/sda2"}},
                     {{"/home", "/home"}}},
        TVolumesCase{
            "OnlyTheLastMountAtOnePlace",
            {kRoot, {"8:18", "/", "/mnt/usb", "/dev/sdb2"}, {"8:17", "/", "/mnt/usb", "/dev/sdb1"}},
            {{"/mnt/usb", "数据"}}},
        TVolumesCase{"MountPointsThatAreNotUtf8",
                     {kRoot, {"8:18", "/", "/mnt/caf\xE9", "/dev/sdb2"}},
                     {{"/mnt/caf\xE9", "/mnt/caf\\xE9"}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(VolumeLabelsTest, LabelsOfTheLinksTargetsWithUdevEscapesUndone) {
  TTempTree tree;
  tree.Folder("by-label");
  tree.Folder("devices");
  tree.File("devices/sdb1");
  tree.File("devices/sdc1");
  tree.Link("sdc1", "devices/alias");
  tree.Link("../devices/sdb1", "by-label/My\\x20Disk");
  tree.Link("../devices/alias", "by-label/\\xe6\\x95\\xb0\\xe6\\x8d\\xae");
  tree.File("by-label/not-a-link");
  EXPECT_EQ(
      ReadVolumeLabels(tree.Path("by-label")),
      (TVolumeLabels{{tree.Path("devices/sdb1"), "My Disk"}, {tree.Path("devices/sdc1"), "数据"}}));
  EXPECT_TRUE(ReadVolumeLabels(tree.Path("missing")).empty());
}

TEST(PathEncodingTest, FileUrlsCarryEveryByte) {
  const std::pair<std::string, std::string> cases[] = {
      {"/home/u/docs", "file:///home/u/docs"},
      {"/", "file:///"},
      {"/a b/50%#?;&+=", "file:///a%20b/50%25%23%3F%3B%26%2B%3D"},
      {"/caf\xE9/文", "file:///caf%E9/%E6%96%87"},
      {"/back\\slash/new\nline", "file:///back%5Cslash/new%0Aline"},
      {"/-._~", "file:///-._~"},
  };
  for (const auto& [path, url] : cases) EXPECT_EQ(FileUrl(path), url) << path;
}

TEST(PathEncodingTest, PastableTextGivesThePathBack) {
  const std::pair<std::string, std::string> cases[] = {
      {"/home/u/文档", "/home/u/文档"},
      {"/it's a\\b", "/it's a\\b"},
      {"/caf\xE9", "$'/caf\\xE9'"},
      {"/caf\xE9/it's a\\b", "$'/caf\\xE9/it\\'s a\\\\b'"},
      {"/new\nline", "$'/new\\x0Aline'"},
      {"/c1\xC2\x9B", "$'/c1\\xC2\\x9B'"},
      {"/photo\xE2\x80\xAEgnp.exe", "$'/photo\\xE2\\x80\\xAEgnp.exe'"},
      {"/cut\xE6\x96", "$'/cut\\xE6\\x96'"},
      {"/overlong\xC0\xAF", "$'/overlong\\xC0\\xAF'"},
  };
  for (const auto& [path, text] : cases) EXPECT_EQ(PastableText(path), text) << path;
}

TEST(PathEncodingTest, JoinsWithOneSlash) {
  EXPECT_EQ(JoinPath("/", "etc"), "/etc");
  EXPECT_EQ(JoinPath("/home/u", "docs"), "/home/u/docs");
  EXPECT_EQ(JoinPath("/home/u/", "docs"), "/home/u/docs");
}

}  // namespace
}  // namespace kestrova::tree
