// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

namespace kestrova::testing {

// A folder of its own under the temporary directory, removed with all it holds when the test ends.
class TTempTree {
 public:
  TTempTree() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/kestrova-test-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    root_ = pattern;
    ::chmod(root_.c_str(), 0755);  // so that a test may walk it as another user
  }
  TTempTree(const TTempTree&) = delete;
  TTempTree& operator=(const TTempTree&) = delete;
  ~TTempTree() {
    // rm copes with trees deeper than PATH_MAX; folders a test locked are opened up first.
    const std::string command =
        "chmod -R u+rwx '" + root_ + "' 2>/dev/null; rm -rf '" + root_ + "'";
    [[maybe_unused]] const int ignored = std::system(command.c_str());
  }

  const std::string& Root() const { return root_; }
  std::string Path(const std::string& relative) const { return root_ + "/" + relative; }

  void Folder(const std::string& relative) const { Check(::mkdir(Path(relative).c_str(), 0755)); }
  void File(const std::string& relative) const {
    const int fd = ::open(Path(relative).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    Check(fd);
    ::close(fd);
  }
  void Link(const std::string& target, const std::string& relative) const {
    Check(::symlink(target.c_str(), Path(relative).c_str()));
  }
  void Fifo(const std::string& relative) const { Check(::mkfifo(Path(relative).c_str(), 0644)); }

 private:
  static void Check(int result) {
    if (result < 0) throw std::runtime_error("could not build the test tree");
  }
  std::string root_;
};

}  // namespace kestrova::testing
