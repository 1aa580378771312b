#include "engine/regular_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <filesystem>

#include "tests/support/test_db.h"

namespace quorvane {
namespace {

std::string refusal(const std::string& path) {
  try {
    RegularFile file(path, "Cannot read it");
  } catch (const RuntimeError& e) {
    return e.what();
  }
  return "opened";
}

TEST(RegularFile, OnlyARegularFileOpens) {
  test::TempDir dir;
  test::write_file(dir.file("list.txt"), "03053\n");
  ASSERT_EQ(mkfifo(dir.file("pipe").c_str(), 0600), 0);
  std::filesystem::create_directory(dir.file("folder"));
  std::filesystem::create_symlink(dir.file("pipe"), dir.file("link"));
  const int s = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string socket_path = dir.file("socket");
  ASSERT_LT(socket_path.size(), sizeof address.sun_path);
  socket_path.copy(address.sun_path, socket_path.size());
  ASSERT_EQ(bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

  struct Row {
    std::string path;
    const char* outcome;
  };
  const Row rows[] = {
      {dir.file("list.txt"), "opened"},
      {dir.file("pipe"), "Cannot read it: it is a named pipe, not a regular file"},
      {dir.file("link"), "Cannot read it: it is a named pipe, not a regular file"},
      {dir.file("folder"), "Cannot read it: it is a folder, not a regular file"},
      {"/dev/zero", "Cannot read it: it is a character device, not a regular file"},
      {socket_path, "Cannot read it: it is a socket, not a regular file"},
      {dir.file("gone"), "Cannot read it: File not found"},
  };
  for (const auto& r : rows) EXPECT_EQ(refusal(r.path), r.outcome) << r.path;
  close(s);
}

TEST(RegularFile, TheDescriptorBlocksAsUsual) {
  test::TempDir dir;
  test::write_file(dir.file("a"), "abc");
  RegularFile file(dir.file("a"));
  EXPECT_EQ(fcntl(file.fd(), F_GETFL) & O_NONBLOCK, 0);
  EXPECT_NE(fcntl(file.fd(), F_GETFD) & FD_CLOEXEC, 0);
  char buf[4] = {};
  EXPECT_EQ(read(file.fd(), buf, sizeof buf), 3);
}

}  // namespace
}  // namespace quorvane
