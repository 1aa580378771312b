// Access files are read by quorvane-access-reader in a process of its own: libmdb can
// loop forever or crash on a damaged file, and neither may take the program with it.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/access_stream.h"
#include "engine/error_trap.h"
#include "engine/zip_table.h"

extern char** environ;

namespace quorvane {
namespace {

std::string& reader_path() {
  static std::string path = [] {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string("quorvane-access-reader")
              : (exe.parent_path() / "quorvane-access-reader").string();
  }();
  return path;
}

// Far more than the three columns of any zip code table take.
constexpr std::size_t kMaxReaderOutput = std::size_t{256} << 20;

std::chrono::milliseconds& read_timeout() {
  static std::chrono::milliseconds limit{10000};
  return limit;
}

struct Child {
  pid_t pid = -1;
  int out = -1;
  ~Child() {
    if (out >= 0) close(out);
    if (pid > 0) {
      kill(-pid, SIGKILL);  // the reader and anything it started
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
  }
};

// Runs the reader and collects all it writes, within the time limit.
std::string run_reader(const std::string& path, const TableSpec& layout, int& status) {
  const std::string& reader = reader_path();
  if (access(reader.c_str(), X_OK) != 0)
    throw RuntimeError(429, "Cannot read Access databases: " + reader + " is missing");
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) throw RuntimeError(7, "Out of memory (no pipe)");
  Child child;
  child.out = fds[0];
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  std::vector<std::string> args = {
      reader, path, layout.table, layout.key_column, layout.lat_column, layout.lon_column};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attributes, 0);
  const int rc =
      posix_spawn(&child.pid, reader.c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (rc != 0) {
    child.pid = -1;
    throw RuntimeError(429, "Cannot start " + reader + ": " + std::strerror(rc));
  }

  std::string data;
  const auto deadline = std::chrono::steady_clock::now() + read_timeout();
  char buf[1 << 16];
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0)
      throw RuntimeError(
          3343, "The Access database " + path + " could not be read in time; it may be damaged");
    pollfd p{child.out, POLLIN, 0};
    const int ready = poll(&p, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno != EINTR) throw RuntimeError(3343, "Cannot read from " + reader);
    if (ready <= 0) continue;
    const ssize_t n = read(child.out, buf, sizeof buf);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR || errno == EAGAIN) continue;
      throw RuntimeError(3343, "Cannot read from " + reader);
    }
    data.append(buf, static_cast<std::size_t>(n));
    if (data.size() > kMaxReaderOutput)
      throw RuntimeError(3343, "The Access database " + path + " is too large: table " +
                                   layout.table + " holds more than " +
                                   std::to_string(kMaxReaderOutput >> 20) + " MB");
  }
  waitpid(child.pid, &status, 0);
  child.pid = -1;
  return data;
}

}  // namespace

void set_access_reader_path(std::string path) {
  reader_path() = std::move(path);
}
const std::string& access_reader_path() {
  return reader_path();
}
void set_access_read_timeout(std::chrono::milliseconds limit) {
  read_timeout() = limit;
}

void read_access_table(const std::string& path, const TableSpec& layout, RowFn fn, void* ctx) {
  int status = 0;
  const std::string data = run_reader(path, layout, status);
  parse_access_stream(data, WIFEXITED(status) && WEXITSTATUS(status) == 0, path, layout.table, fn,
                      ctx);
}

}  // namespace quorvane
