// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
// kestrova-bench-mktree ROOT ENTRIES: builds a synthetic tree of about ENTRIES entries, one in ten
// a folder, breadth first, so that benchmarks walk the same shape every time.
// kestrova-bench-mktree --chain ROOT DEPTH: a chain of DEPTH folders, each holding the next.
// kestrova-bench-mktree --siblings ROOT DEPTH: the same chain with a second, empty folder "s"
// after the next one at every level, so that a walk must come back to every level to enter it.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <string_view>

namespace {

constexpr int kFilesPerFolder = 27;
constexpr int kFoldersPerFolder = 3;

int Bushy(const std::string& root, long wanted) {
  if (::mkdir(root.c_str(), 0755) != 0) {
    std::perror(root.c_str());
    return 1;
  }
  std::deque<std::string> folders{root};
  long made = 0;
  char name[64];
  while (made < wanted && !folders.empty()) {
    const std::string folder = folders.front();
    folders.pop_front();
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
      std::perror(folder.c_str());
      return 1;
    }
    for (int i = 0; i < kFilesPerFolder + kFoldersPerFolder && made < wanted; ++i, ++made) {
      if (i % 10 == 4) {
        std::snprintf(name, sizeof name, "folder-%06ld", made);
        if (::mkdirat(fd, name, 0755) != 0) return 1;
        folders.push_back(folder + "/" + name);
      } else {
        std::snprintf(name, sizeof name, "file-%06ld.txt", made);
        const int file = ::openat(fd, name, O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        if (file < 0) return 1;
        ::close(file);
      }
    }
    ::close(fd);
  }
  std::printf("%ld entries in %s\n", made, root.c_str());
  return 0;
}

// The order in which a folder yields its entries may follow a hash of their names (ext4 does so
// even for small folders), so the branch's name is chosen from a few until it comes before the
// sibling "s", as a walk must meet them for the sibling to be entered after the branch.
std::string BranchBeforeSibling(const std::string& scratch) {
  for (char letter = 'a'; letter <= 'z'; ++letter) {
    const std::string branch(1, letter);
    if (branch == "s") continue;
    ::mkdir(scratch.c_str(), 0755);
    ::mkdir((scratch + "/" + branch).c_str(), 0755);
    ::mkdir((scratch + "/s").c_str(), 0755);
    bool branchFirst = false;
    if (DIR* dir = ::opendir(scratch.c_str())) {
      while (const dirent* entry = ::readdir(dir)) {
        if (branch == entry->d_name) branchFirst = true;
        if (std::strcmp(entry->d_name, "s") == 0) break;
      }
      ::closedir(dir);
    }
    ::rmdir((scratch + "/" + branch).c_str());
    ::rmdir((scratch + "/s").c_str());
    ::rmdir(scratch.c_str());
    if (branchFirst) return branch;
  }
  std::fprintf(stderr, "warning: no branch name found that this file system yields first\n");
  return "d";
}

int Chain(const std::string& root, long depth, bool siblings) {
  const std::string branch = siblings ? BranchBeforeSibling(root + ".probe") : "d";
  if (::mkdir(root.c_str(), 0755) != 0) {
    std::perror(root.c_str());
    return 1;
  }
  int parent = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  for (long i = 0; i < depth && parent >= 0; ++i) {
    if (::mkdirat(parent, branch.c_str(), 0755) != 0 ||
        (siblings && ::mkdirat(parent, "s", 0755) != 0)) {
      std::perror("mkdirat");
      return 1;
    }
    const int child = ::openat(parent, branch.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ::close(parent);
    parent = child;
  }
  if (parent < 0) return 1;
  ::close(parent);
  std::printf("a chain of %ld folders%s in %s\n", depth, siblings ? " with siblings" : "",
              root.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 &&
      (std::string_view(argv[1]) == "--chain" || std::string_view(argv[1]) == "--siblings")) {
    return Chain(argv[2], std::atol(argv[3]), std::string_view(argv[1]) == "--siblings");
  }
  if (argc != 3) {
    std::fprintf(stderr,
                 "usage: kestrova-bench-mktree ROOT ENTRIES\n"
                 "       kestrova-bench-mktree --chain|--siblings ROOT DEPTH\n");
    return 2;
  }
  return Bushy(argv[1], std::atol(argv[2]));
}
