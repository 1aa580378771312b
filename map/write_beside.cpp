#include "map/write_beside.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace quorvane::map {

WriteBeside::WriteBeside(std::string path) : path_(std::move(path)) {
  struct stat st {};
  if (::stat(path_.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
    throw std::runtime_error("Cannot write " + path_ + ": it is not a regular file");
  const std::filesystem::path p(path_);
  temp_ = (p.parent_path() / ("." + p.filename().string() + ".XXXXXX")).string();
  fd_ = ::mkstemp(temp_.data());
  if (fd_ < 0) {
    const int error = errno;
    temp_.clear();
    fail(error);
  }
  // As a new file would be made: readable by all unless the umask says otherwise.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd_, 0666 & ~mask);
}

WriteBeside::~WriteBeside() {
  if (fd_ >= 0) ::close(fd_);
  if (!temp_.empty()) ::unlink(temp_.c_str());
}

void WriteBeside::fail(int error) {
  throw std::runtime_error("Cannot write " + path_ + ": " + std::strerror(error));
}

void WriteBeside::write(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) fail(n < 0 ? errno : ENOSPC);
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
}

void WriteBeside::commit() {
  if (::fsync(fd_) != 0 && errno != EINVAL) fail(errno);
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) fail(errno);
  if (::rename(temp_.c_str(), path_.c_str()) != 0) fail(errno);
  temp_.clear();
}

}  // namespace quorvane::map
