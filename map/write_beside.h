#pragma once
// A file written whole or not at all: the bytes go to a new file beside it, which takes
// its name only when every byte is written and flushed. Until then, and when anything
// fails, the old file stays as it was and the new one is removed.
#include <string>
#include <string_view>

namespace quorvane::map {

class WriteBeside {
 public:
  // Throws std::runtime_error ("Cannot write PATH: reason") when no file can be made
  // beside `path`.
  explicit WriteBeside(std::string path);
  ~WriteBeside();
  WriteBeside(const WriteBeside&) = delete;
  WriteBeside& operator=(const WriteBeside&) = delete;

  void write(std::string_view bytes);  // throws as the constructor does
  void commit();                       // throws as the constructor does

 private:
  [[noreturn]] void fail(int error);
  std::string path_, temp_;
  int fd_ = -1;
};

}  // namespace quorvane::map
