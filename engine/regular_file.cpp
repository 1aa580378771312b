#include "engine/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "engine/error_trap.h"

namespace quorvane {
namespace {

const char* kind_of(mode_t mode) {
  if (S_ISREG(mode)) return "";
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a named pipe";
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  if (S_ISSOCK(mode)) return "a socket";
  return "no regular file";
}

std::string with(const std::string& context, const std::string& reason) {
  return context.empty() ? reason : context + ": " + reason;
}

}  // namespace

int open_regular_file(const std::string& path, const std::string& context) {
  // Without O_NONBLOCK the open of a named pipe waits for a writer that never comes.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    const int err = errno;
    const std::string kind = irregular_kind(path);  // a socket cannot be opened at all
    if (err == ENOENT) throw RuntimeError(53, with(context, "File not found"));
    throw RuntimeError(75, with(context, kind.empty() ? std::string(std::strerror(err))
                                                      : "it is " + kind + ", not a regular file"));
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    const int err = errno;
    ::close(fd);
    throw RuntimeError(75, with(context, std::strerror(err)));
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    throw RuntimeError(
        75, with(context, std::string("it is ") + kind_of(st.st_mode) + ", not a regular file"));
  }
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  return fd;
}

RegularFile::~RegularFile() {
  if (fd_ >= 0) ::close(fd_);
}

std::string irregular_kind(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return {};
  return kind_of(st.st_mode);
}

}  // namespace quorvane
