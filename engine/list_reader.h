#pragma once
// Reading a zip code list: one entry per line, a line ending at CR, CR LF or the end of
// the input, and every LF inside a line separating entries as well. Nothing is trimmed
// or checked; empty pieces are entries too. The input may arrive in chunks of any size
// (a file read at once, or standard input read piece by piece): the entries are the
// same however it is cut.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <string_view>

namespace quorvane {

// Valid UTF-8 is kept; any other byte becomes the UTF-8 of its Latin-1 character.
std::string utf8_or_latin1(const char* data, std::size_t size);

class ListReader {
 public:
  enum class State {
    Reading,  // a list so far
    NotText,  // a NUL byte came: no text file holds one
    TooLong,  // a line passed the reader's limit
  };
  // The entry is valid only during the call.
  using EntryFn = std::function<void(std::string_view)>;

  // A line longer than `max_line_bytes` ends the reading (TooLong), so that a reader of
  // an endless input holds a bounded amount of it.
  explicit ListReader(std::size_t max_line_bytes = std::numeric_limits<std::size_t>::max())
      : max_line_(max_line_bytes) {}

  // Reads the next bytes of the input, calling `entry` for every entry they complete.
  // Returns false, after the entries before the fault, once the input proved not to be a
  // list; later calls then do nothing.
  bool feed(std::string_view bytes, const EntryFn& entry);
  // The end of the input: the entries that only its end completes. The window takes
  // the empty piece after a final lone LF as an entry; text files from the usual tools
  // end every line with an LF, and `final_lf_ends_line` reads them that way.
  bool finish(const EntryFn& entry, bool final_lf_ends_line = false);

  State state() const { return state_; }
  // Entries delivered so far.
  std::uint64_t entries() const { return entries_; }

 private:
  void deliver(std::string_view raw, const EntryFn& entry);
  bool hold(std::string_view part);
  bool take_bom(std::string_view& bytes);

  std::size_t max_line_;
  State state_ = State::Reading;
  std::string pending_;         // a line not yet ended by the input so far
  std::string scratch_;         // a converted entry
  bool started_ = false;        // the byte-order mark question is settled
  bool after_cr_ = false;       // the last byte was a CR: an LF next belongs to it
  bool after_lone_lf_ = false;  // the last byte was an LF that ended a line on its own
  bool any_byte_ = false;       // some byte after the byte-order mark
  std::uint64_t entries_ = 0;
};

}  // namespace quorvane
