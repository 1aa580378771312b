#pragma once
// Standard output, written in big chunks. A reader that went away (a closed pipe) ends
// the program quietly, as it ends any program in a pipeline; any other failure to write
// (a full disk, a closed descriptor) is reported once and ends the command with an error.
#include <stdexcept>
#include <string>
#include <string_view>

namespace quorvane::cli {

// Thrown after the failure was reported; main turns it into exit status 2.
struct OutputFailed : std::runtime_error {
  OutputFailed() : std::runtime_error("standard output failed") {}
};

class Output {
 public:
  static constexpr std::size_t kChunk = 1 << 20;

  Output() { text_.reserve(kChunk + (kChunk >> 2)); }
  ~Output() = default;
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;

  // Append here; maybe_flush() after each piece.
  std::string& text() { return text_; }
  void maybe_flush() {
    if (text_.size() >= kChunk) flush();
  }
  void flush();
  // Appends a piece; a large one is written as it is, without a copy.
  void put(std::string_view piece);

 private:
  std::string text_;
};

// Descriptors 0, 1 and 2 are open whatever the caller left closed, so that no file the
// program opens takes their place; a closed standard output stays unwritable.
void keep_standard_descriptors();

// Writes the whole text to standard output now (help and version texts).
void write_now(const std::string& text);

}  // namespace quorvane::cli
