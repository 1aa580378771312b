#pragma once
// Reading CSV and TSV tables as spreadsheets and exports write them, one record at a
// time, in big blocks. RFC 4180: a field in double quotes may hold the delimiter, doubled
// quotes and line breaks; records end at LF, CR LF or a lone CR; a UTF-8 byte-order mark
// is skipped. The delimiter is given or taken from the first line (the most frequent of
// comma, tab, semicolon and pipe outside quotes; comma when there is none).
//
// The fields of a record are views into the reader's block, valid until the next call
// of next(): no allocation per record. A record may span blocks. Memory stays at one
// block plus the longest record, which is refused past `max_record` bytes; a NUL byte
// (a binary file) and an input that ends inside quotes are faults too. Records before a
// fault are delivered; the fault ends the reading.
//
// An empty line is a record of one empty field. An input ending without a line break
// ends its last record. Text is passed through as it is (no check of its encoding).
//
//   CsvReader reader(CsvReader::from_fd(fd));
//   while (reader.next()) use(reader.fields());
//   if (reader.failed()) report(reader.error());
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

struct CsvOptions {
  char delimiter = '\0';                     // '\0': taken from the first line
  std::size_t max_record = 1 << 20;          // the longest record, in bytes, line breaks included
  std::size_t block = std::size_t{1} << 18;  // bytes asked of the input at a time
};

class CsvReader {
 public:
  enum class State : std::uint8_t {
    Reading,    // records so far; next() tells whether there is another
    End,        // the input ended after its last record
    NotText,    // a NUL byte: not a text file
    TooLong,    // a record passed max_record bytes
    OpenQuote,  // the input ended inside a quoted field
    ReadError,  // the input could not be read (errno in read_errno())
  };

  // Fills the buffer with up to `size` bytes: the count, 0 at the end of the input,
  // below 0 on an error with errno set.
  using ReadFn = std::function<std::ptrdiff_t(char* buffer, std::size_t size)>;
  // Reads a descriptor (retrying on EINTR, waiting when it is non-blocking); the caller
  // keeps and closes it.
  static ReadFn from_fd(int fd);
  // Reads a text held in memory; it must outlive the reader.
  static ReadFn from_text(std::string_view text);

  explicit CsvReader(ReadFn read, CsvOptions options = {});

  // Where a field lies in its record's bytes; a quoted one still has its quotes.
  struct FieldBound {
    std::uint32_t begin, end;  // from the record's first byte
    bool quoted;
  };

  // Moves to the next record: true when there is one; false at the end of the input or
  // at a fault (state() tells which).
  bool next();
  // next() that leaves the record's fields as they were read, for another thread to
  // take (take_fields): record_bytes() and field_bounds() tell them; fields() is empty.
  bool next_unsplit();
  // The fields of the record, valid until the next call of next().
  std::span<const std::string_view> fields() const { return views_; }
  // next_unsplit(): the record's bytes up to the end of its last field, and its fields'
  // bounds in them; valid until the next call.
  std::string_view record_bytes() const { return unsplit_; }
  std::span<const FieldBound> field_bounds() const { return bounds_; }
  // The fields of a record's bytes (a copy the caller owns): each quoted one is undone
  // in place, its quotes dropped and doubled quotes read as one. Appends to `fields`.
  static void take_fields(char* record, std::span<const FieldBound> bounds,
                          std::vector<std::string_view>& fields);

  // The delimiter, given or detected; known after the first call of next().
  char delimiter() const { return delimiter_; }
  State state() const { return state_; }
  bool failed() const { return state_ != State::Reading && state_ != State::End; }
  // One sentence saying what is wrong with the input and where ("line 7 is longer than
  // 1 MB: ..."); empty when nothing is.
  std::string error() const;
  int read_errno() const { return errno_; }

  // 1-based number of the current record, and the line on which it starts (lines counted
  // as LF, CR LF or CR, inside quotes too); during a fault, of the record that failed.
  std::uint64_t record() const { return record_; }
  std::uint64_t line() const { return line_; }

 private:
  enum class Scan : std::uint8_t { Record, More, Fault };

  bool fill();
  Scan scan_record(std::size_t& record_end);
  bool advance(bool split);
  void take_record(std::size_t record_end, bool split);
  void start();
  void detect_delimiter();
  bool fault(State s);

  ReadFn read_;
  CsvOptions options_;
  char delimiter_;
  State state_ = State::Reading;
  int errno_ = 0;
  bool eof_ = false;
  bool started_ = false;

  std::vector<char> buffer_;
  std::size_t begin_ = 0;  // the first byte not yet taken by a record
  std::size_t end_ = 0;    // one past the last byte read

  std::vector<std::string_view> views_;
  std::vector<FieldBound> bounds_;
  std::string_view unsplit_;
  bool stops_[256] = {};  // the bytes that end an unquoted field: delimiter, CR, LF, NUL
  std::uint64_t lines_in_record_ = 0;  // line breaks inside the record being read
  std::uint64_t record_ = 0;
  std::uint64_t line_ = 1;       // the line of the current record
  std::uint64_t next_line_ = 1;  // the line the next record starts on
};

}  // namespace quorvane
