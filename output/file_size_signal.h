#pragma once
// Writing past the user's file-size limit raises SIGXFSZ, which ends the program. While
// one of these lives the signal is ignored, so such a write fails with "File too large"
// and is reported like any other write error.
#include <csignal>

namespace quorvane {

class FileSizeSignalIgnored {
 public:
  FileSizeSignalIgnored() { previous_ = std::signal(SIGXFSZ, SIG_IGN); }
  ~FileSizeSignalIgnored() {
    if (previous_ != SIG_ERR) std::signal(SIGXFSZ, previous_);
  }
  FileSizeSignalIgnored(const FileSizeSignalIgnored&) = delete;
  FileSizeSignalIgnored& operator=(const FileSizeSignalIgnored&) = delete;

 private:
  void (*previous_)(int) = SIG_ERR;
};

}  // namespace quorvane
