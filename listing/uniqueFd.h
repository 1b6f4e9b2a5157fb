// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#pragma once

#include <unistd.h>

#include <utility>

namespace kestrova {

// Sole owner of one file descriptor, closed when the owner goes.
class TUniqueFd {
 public:
  TUniqueFd() = default;
  explicit TUniqueFd(int fd) : fd_(fd) {}
  TUniqueFd(TUniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  TUniqueFd& operator=(TUniqueFd&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.fd_, -1));
    return *this;
  }
  TUniqueFd(const TUniqueFd&) = delete;
  TUniqueFd& operator=(const TUniqueFd&) = delete;
  ~TUniqueFd() { Reset(); }

  int Get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }
  void Reset(int fd = -1) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }

 private:
  int fd_ = -1;
};

}  // namespace kestrova
