#include "tests/cli/cli_process.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <stdexcept>

namespace quorvane::test {
namespace {

int open_for_stdout(Stdout mode) {
  if (mode == Stdout::Discard) return ::open("/dev/null", O_WRONLY);
  if (mode == Stdout::FullDevice) return ::open("/dev/full", O_WRONLY);
  return -1;
}

[[noreturn]] void exec_child(const Invocation& call, int in, int out, int err) {
  std::signal(SIGPIPE, SIG_DFL);
  ::dup2(in, 0);
  ::dup2(out, 1);
  ::dup2(err, 2);
  ::close_range(3, ~0U, 0);  // our ends of the pipes above all
  if (call.out == Stdout::Closed) ::close(1);
  ::putenv(const_cast<char*>("LC_ALL=C"));
  for (const std::string& e : call.env) ::putenv(const_cast<char*>(e.c_str()));
  std::vector<char*> argv{const_cast<char*>(QUORVANE_CLI)};
  for (const std::string& a : call.args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  ::execv(QUORVANE_CLI, argv.data());
  _exit(127);
}

// Feeds standard input and drains both outputs together, so that no pipe fills up.
void pump(const std::string& input, long repeat, int in, int out, int err, Outcome& r) {
  std::size_t sent = 0;
  char buf[1 << 16];
  while (in >= 0 || out >= 0 || err >= 0) {
    pollfd fds[3] = {{in, POLLOUT, 0}, {out, POLLIN, 0}, {err, POLLIN, 0}};
    if (::poll(fds, 3, -1) < 0) {
      if (errno == EINTR) continue;
      throw std::runtime_error("poll failed");
    }
    if (in >= 0 && fds[0].revents) {
      const ssize_t n = sent < input.size()
                            ? ::write(in, input.data() + sent,
                                      std::min<std::size_t>(input.size() - sent, sizeof buf))
                            : 0;
      if (n > 0) sent += static_cast<std::size_t>(n);
      if (sent == input.size() && --repeat > 0) sent = 0;
      if (n <= 0 || sent == input.size()) {
        ::close(in);
        in = -1;
      }
    }
    int* readers[2] = {&out, &err};
    std::string* texts[2] = {&r.out, &r.err};
    for (int k = 0; k < 2; ++k) {
      if (*readers[k] < 0 || !fds[k + 1].revents) continue;
      const ssize_t n = ::read(*readers[k], buf, sizeof buf);
      if (n > 0) {
        texts[k]->append(buf, static_cast<std::size_t>(n));
      } else if (n == 0 || errno != EINTR) {
        ::close(*readers[k]);
        *readers[k] = -1;
      }
    }
  }
}

}  // namespace

Outcome run_cli(const Invocation& call) {
  std::signal(SIGPIPE, SIG_IGN);  // a child that stops reading must not end the test
  int in[2], out[2], err[2];
  if (::pipe(in) || ::pipe(out) || ::pipe(err)) throw std::runtime_error("pipe failed");
  const int device = open_for_stdout(call.out);
  const pid_t pid = ::fork();
  if (pid == 0) exec_child(call, in[0], device >= 0 ? device : out[1], err[1]);
  ::close(in[0]);
  ::close(out[1]);
  ::close(err[1]);
  if (device >= 0) ::close(device);
  if (call.out == Stdout::ReaderGone) {
    ::close(out[0]);
    out[0] = -1;
  }
  Outcome r;
  pump(call.input, call.repeat, in[1], out[0], err[0], r);
  int status = 0;
  rusage usage{};
  ::wait4(pid, &status, 0, &usage);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  r.peak_kb = usage.ru_maxrss;
  return r;
}

}  // namespace quorvane::test
