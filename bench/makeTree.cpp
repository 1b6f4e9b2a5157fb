// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
// kestrova-bench-mktree ROOT ENTRIES: builds a synthetic tree of about ENTRIES entries, one in ten
// a folder, breadth first, so that benchmarks walk the same shape every time.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <string>

namespace {

constexpr int kFilesPerFolder = 27;
constexpr int kFoldersPerFolder = 3;

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: kestrova-bench-mktree ROOT ENTRIES\n");
    return 2;
  }
  const std::string root = argv[1];
  const long wanted = std::atol(argv[2]);
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
