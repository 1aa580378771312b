#include "cli/input.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "cli/common.h"
#include "engine/error_trap.h"
#include "engine/regular_file.h"

namespace quorvane::cli {
namespace {

constexpr std::size_t kReadChunk = 1 << 20;

bool is_stdin(const std::string& name) {
  return name == "-";
}

std::string shown(const std::string& name) {
  return is_stdin(name) ? "standard input" : name;
}

bool cannot_read(const std::string& name, const std::string& why) {
  report("Cannot read " + shown(name) + ": " + why);
  return false;
}

// Opens a named list without waiting on a FIFO, and keeps it only if it is a regular file.
int open_list(const std::string& name) {
  if (is_stdin(name)) return STDIN_FILENO;
  try {
    return open_regular_file(name);
  } catch (const RuntimeError& e) {
    cannot_read(name, e.number() == 53 ? std::strerror(ENOENT) : e.what());
    return -1;
  }
}

bool read_one(const std::string& name, const ListReader::EntryFn& entry,
              const std::function<void()>& idle, std::string& buffer) {
  const int fd = open_list(name);
  if (fd < 0) return false;
  ListReader reader(kMaxLineBytes);
  ssize_t n = 0;
  for (;;) {
    n = ::read(fd, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      pollfd wait{fd, POLLIN, 0};  // a caller left standard input non-blocking
      ::poll(&wait, 1, -1);
      continue;
    }
    if (n <= 0 || !reader.feed(std::string_view(buffer.data(), static_cast<std::size_t>(n)), entry))
      break;
    if (static_cast<std::size_t>(n) < buffer.size()) idle();
  }
  const int read_error = n < 0 ? errno : 0;
  if (fd != STDIN_FILENO) ::close(fd);
  if (read_error) return cannot_read(name, std::strerror(read_error));
  reader.finish(entry, /*final_lf_ends_line=*/true);
  switch (reader.state()) {
    case ListReader::State::NotText:
      return cannot_read(name, "it is not a text file (a NUL byte follows the entries read)");
    case ListReader::State::TooLong:
      return cannot_read(name, "entry " + std::to_string(reader.entries() + 1) +
                                   " is longer than " + std::to_string(kMaxLineBytes >> 20) +
                                   " MB: it is not a list of zip codes");
    case ListReader::State::Reading:
      break;
  }
  return true;
}

}  // namespace

bool check_inputs(const std::vector<std::string>& files) {
  bool ok = true;
  for (const std::string& name : files) {
    if (is_stdin(name)) continue;
    struct stat st {};
    if (::stat(name.c_str(), &st) != 0)
      ok = cannot_read(name, std::strerror(errno));
    else if (!S_ISREG(st.st_mode))
      ok = cannot_read(name, "it is not a regular file");
    else if (const std::string kind = irregular_kind(name); !kind.empty())
      ok = cannot_read(name, "it is " + kind + ", not a regular file");
  }
  return ok;
}

bool read_inputs(const std::vector<std::string>& files, const ListReader::EntryFn& entry,
                 const std::function<void()>& idle) {
  std::string buffer(kReadChunk, '\0');
  if (files.empty()) return read_one("-", entry, idle, buffer);
  bool ok = true;
  for (const std::string& name : files) ok = read_one(name, entry, idle, buffer) && ok;
  return ok;
}

}  // namespace quorvane::cli
