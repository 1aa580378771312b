#pragma once
// Opening a file to read without the traps a path can hold: a named pipe blocks an
// open for ever, a device never ends, a folder is no file. Every reader of the program
// opens its files here first.
#include <string>

namespace quorvane {

// The file's descriptor, opened read-only and close-on-exec, blocking as usual. Throws
// RuntimeError with the reason when it is missing, unreadable or anything but a regular
// file ("it is a named pipe, not a regular file"), a file of a file system the kernel
// makes up as it is read (proc, sysfs, debugfs ...: a read of /proc/kmsg blocks for
// ever) included; a non-empty `context` goes before the
// reason ("Cannot read /tmp/list.txt: ...").
int open_regular_file(const std::string& path, const std::string& context = {});

// Owns a descriptor from open_regular_file.
class RegularFile {
 public:
  explicit RegularFile(const std::string& path, const std::string& context = {})
      : fd_(open_regular_file(path, context)) {}
  ~RegularFile();
  RegularFile(const RegularFile&) = delete;
  RegularFile& operator=(const RegularFile&) = delete;
  int fd() const { return fd_; }
  // Hands the descriptor over; the caller closes it.
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

// What kind of thing stands at the path when it is no regular file ("a named pipe",
// "a folder", "a file of the kernel's proc file system" ...); empty for a regular file
// or nothing at all.
std::string irregular_kind(const std::string& path);

}  // namespace quorvane
