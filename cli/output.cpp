#include "cli/output.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

#include "cli/common.h"

namespace quorvane::cli {
namespace {

[[noreturn]] void end_quietly() {
  std::signal(SIGPIPE, SIG_DFL);
  std::raise(SIGPIPE);
  _exit(128 + SIGPIPE);
}

void write_all(const char* p, std::size_t n) {
  while (n > 0) {
    const ssize_t w = ::write(STDOUT_FILENO, p, n);
    if (w < 0 && errno == EINTR) continue;
    if (w < 0 && errno == EPIPE) end_quietly();
    if (w <= 0) {
      report(std::string("Cannot write the results to standard output: ") +
             (w < 0 ? std::strerror(errno) : "nothing was written"));
      throw OutputFailed();
    }
    p += w;
    n -= static_cast<std::size_t>(w);
  }
}

}  // namespace

void Output::flush() {
  write_all(text_.data(), text_.size());
  text_.clear();
}

void Output::put(std::string_view piece) {
  if (piece.size() < kChunk / 4) {
    text_.append(piece);
    maybe_flush();
    return;
  }
  flush();
  write_all(piece.data(), piece.size());
}

void write_now(const std::string& text) {
  write_all(text.data(), text.size());
}

void keep_standard_descriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // Read-only, so that writing to a standard output that was closed still fails.
    const int opened = ::open("/dev/null", fd == 2 ? O_WRONLY : O_RDONLY);
    if (opened >= 0 && opened != fd) {
      ::dup2(opened, fd);
      ::close(opened);
    }
  }
}

}  // namespace quorvane::cli
