// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
// kestrova-bench-floor PATH: the least any walk of PATH can do, getdents64 and openat and nothing
// else; it prints only the number of entries. The floor that kestrova-list is measured against.
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace {

long Walk(int fd) {
  alignas(8) char buffer[64 * 1024];
  long entries = 0;
  for (;;) {
    const ssize_t read = ::getdents64(fd, buffer, sizeof buffer);
    if (read <= 0) break;
    for (ssize_t at = 0; at < read;) {
      const auto* entry = reinterpret_cast<const dirent64*>(buffer + at);
      at += entry->d_reclen;
      if (entry->d_name[0] == '.' &&
          (entry->d_name[1] == '\0' || (entry->d_name[1] == '.' && entry->d_name[2] == '\0'))) {
        continue;
      }
      ++entries;
      if (entry->d_type == DT_DIR) {
        const int child = ::openat(fd, entry->d_name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (child >= 0) {
          entries += Walk(child);
          ::close(child);
        }
      }
    }
  }
  return entries;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const int fd = ::open(argv[1], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return 1;
  std::printf("%ld\n", Walk(fd));
  ::close(fd);
  return 0;
}
