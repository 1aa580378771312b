#include "engine/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
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

// File systems whose files the kernel makes up as they are read: a read may block for
// ever (/proc/kmsg), never end, or change the system (and consume what it reads).
const char* pseudo_file_system(const struct statfs& fs) {
  struct Known {
    unsigned long magic;
    const char* name;
  };
  static constexpr Known kKnown[] = {
      {0x9fa0, "proc"},
      {0x62656572, "sysfs"},
      {0x64626720, "debugfs"},
      {0x74726163, "tracefs"},
      {0x73636673, "securityfs"},
      {0x27e0eb, "cgroup"},
      {0x63677270, "cgroup2"},
      {0xcafe4a11, "bpf"},
      {0x62656570, "configfs"},
      {0x6165676C, "pstore"},
      {0xde5e81e4, "efivarfs"},
      {0x1cd1, "devpts"},
      {0x42494e4d, "binfmt_misc"},
      {0xf97cff8c, "selinuxfs"},
      {0x43415d53, "smackfs"},
      {0x6e736673, "nsfs"},
      {0x19800202, "mqueue"},
      {0x65735543, "fusectl"},
  };
  const auto magic = static_cast<unsigned long>(fs.f_type) & 0xffffffffUL;
  for (const Known& k : kKnown)
    if (k.magic == magic) return k.name;
  return nullptr;
}

std::string pseudo_reason(const char* name) {
  return std::string("it is a file of the kernel's ") + name +
         " file system, made up as it is read, not a regular file";
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
  struct statfs fs {};
  if (::fstatfs(fd, &fs) == 0) {
    if (const char* name = pseudo_file_system(fs)) {
      ::close(fd);
      throw RuntimeError(75, with(context, pseudo_reason(name)));
    }
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
  if (!S_ISREG(st.st_mode)) return kind_of(st.st_mode);
  struct statfs fs {};
  if (::statfs(path.c_str(), &fs) != 0) return {};
  const char* name = pseudo_file_system(fs);
  return name ? std::string("a file of the kernel's ") + name + " file system" : std::string();
}

}  // namespace quorvane
