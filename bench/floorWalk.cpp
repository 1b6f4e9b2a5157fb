// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
// kestrova-bench-floor [--print] PATH: the least any walk of PATH can do, getdents64 and openat
// and nothing else; it prints only the number of entries. With --print it also writes the lines
// of the listing, the same bytes as `kestrova-list --color=never` on a tree without links and
// with names that need no escaping: the floor for a walk that prints. Either way the walk keeps
// its own stack on the heap and holds a folder open only while it has folders left to enter, so
// that a chain of any depth is walked whole.
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::size_t kReadChunk = 64 * 1024;
constexpr std::size_t kFlushSize = 64 * 1024;

struct TRecord {
  unsigned short length;
  unsigned char type;
  const char* name;
};

TRecord ReadRecord(const char* at) {
  unsigned short length = 0;
  std::memcpy(&length, at + offsetof(dirent64, d_reclen), sizeof length);
  return {length, static_cast<unsigned char>(at[offsetof(dirent64, d_type)]),
          at + offsetof(dirent64, d_name)};
}

bool IsSelfOrParent(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

class TOutput {
 public:
  explicit TOutput(bool enabled) : enabled_(enabled) { buffer_.reserve(2 * kFlushSize); }
  ~TOutput() { Flush(); }
  bool Enabled() const { return enabled_; }
  void Line(std::string_view text) {
    buffer_.append(text).push_back('\n');
    if (buffer_.size() >= kFlushSize) Flush();
  }
  void Flush() {
    for (std::size_t at = 0; at < buffer_.size();) {
      const ssize_t written = ::write(STDOUT_FILENO, buffer_.data() + at, buffer_.size() - at);
      if (written <= 0) break;
      at += static_cast<std::size_t>(written);
    }
    buffer_.clear();
  }

 private:
  bool enabled_;
  std::string buffer_;
};

void AppendNumber(std::string& out, std::uint64_t number) {
  char digits[24];
  out.append(digits, std::to_chars(digits, digits + sizeof digits, number).ptr);
}

struct TLevel {
  int fd;
  std::size_t begin, next, end;  // records in the arena
  std::size_t indent;            // length of the line's indent
  std::uint64_t folders = 0, files = 0;
};

class TArena {
 public:
  char* Data() { return data_.get(); }
  std::size_t Size() const { return size_; }
  void Truncate(std::size_t size) { size_ = size; }
  void AppendFolder(int fd) {
    for (;;) {
      if (size_ + kReadChunk > capacity_) {
        const std::size_t grown = std::max(size_ + kReadChunk, 2 * capacity_);
        auto bigger = std::make_unique_for_overwrite<char[]>(grown);
        if (size_ > 0) std::memcpy(bigger.get(), data_.get(), size_);
        data_ = std::move(bigger);
        capacity_ = grown;
      }
      const ssize_t read = ::getdents64(fd, data_.get() + size_, kReadChunk);
      if (read <= 0) return;
      size_ += static_cast<std::size_t>(read);
    }
  }

 private:
  std::unique_ptr<char[]> data_;
  std::size_t size_ = 0, capacity_ = 0;
};

// Whether a folder to enter follows in the level's records: if not, its descriptor can go.
bool FolderFollows(TArena& arena, const TLevel& level) {
  for (std::size_t at = level.next; at < level.end;) {
    const TRecord record = ReadRecord(arena.Data() + at);
    if (record.type == DT_DIR && record.name[0] != '.') return true;
    at += record.length;
  }
  return false;
}

long Walk(int root, std::string line, TOutput& out) {
  TArena arena;
  std::vector<TLevel> levels;
  arena.AppendFolder(root);
  levels.push_back({root, 0, 0, arena.Size(), line.size()});
  long entries = 0;
  while (!levels.empty()) {
    TLevel& level = levels.back();
    if (level.next >= level.end) {
      if (out.Enabled()) {
        line.append("└█");
        out.Line(line);
      }
      if (level.fd >= 0) ::close(level.fd);
      arena.Truncate(level.begin);
      levels.pop_back();
      if (!levels.empty()) line.resize(levels.back().indent);
      continue;
    }
    const TRecord record = ReadRecord(arena.Data() + level.next);
    level.next += record.length;
    if (IsSelfOrParent(record.name)) continue;
    if (record.type == DT_DIR) {
      if (record.name[0] == '.') continue;
      ++entries;
      ++level.folders;
      if (out.Enabled()) {
        line.append("├文件夹");
        AppendNumber(line, level.folders);
        line.append("：[").append(record.name).append("]");
        out.Line(line);
        line.resize(level.indent);
      }
      const int child = ::openat(level.fd, record.name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      if (child < 0) continue;
      if (!FolderFollows(arena, level)) {
        ::close(level.fd);
        level.fd = -1;
      }
      const std::size_t begin = arena.Size();
      arena.AppendFolder(child);
      if (out.Enabled()) line.append("│  ");
      levels.push_back({child, begin, begin, arena.Size(), line.size()});
    } else {
      ++entries;
      ++level.files;
      if (out.Enabled()) {
        line.append("├(");
        AppendNumber(line, level.files);
        line.append(")").append(record.name);
        out.Line(line);
        line.resize(level.indent);
      }
    }
  }
  return entries;
}

}  // namespace

int main(int argc, char** argv) {
  const bool print = argc == 3 && std::string_view(argv[1]) == "--print";
  if (argc != 2 && !print) {
    std::fprintf(stderr, "usage: kestrova-bench-floor [--print] PATH\n");
    return 2;
  }
  const char* path = argv[argc - 1];
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) == 0) {
    limit.rlim_cur = limit.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &limit);
  }
  const int fd = ::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return 1;
  TOutput out(print);
  if (print) out.Line(path);
  const long entries = Walk(fd, "", out);
  out.Flush();
  if (!print) std::printf("%ld\n", entries);
  return 0;
}
