#include "engine/csv_reader.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quorvane {
namespace {

constexpr char kCandidates[] = {',', '\t', ';', '|'};

// Copies a quoted field's text over itself without its quotes, doubled quotes read as
// one; text after the closing quote is kept as it stands. Returns the new end.
char* unquote(char* begin, char* end) {
  char* out = begin;
  bool inside = false;
  for (char* p = begin; p < end; ++p) {
    if (*p == '"' && (inside || p == begin)) {
      if (inside && p + 1 < end && p[1] == '"') {
        *out++ = '"';
        ++p;
      } else {
        inside = !inside && p == begin;
      }
      continue;
    }
    *out++ = *p;
  }
  return out;
}

std::string size_text(std::size_t bytes) {
  if (bytes % (1 << 20) == 0) return std::to_string(bytes >> 20) + " MB";
  return std::to_string(bytes) + " bytes";
}

}  // namespace

CsvReader::ReadFn CsvReader::from_fd(int fd) {
  return [fd](char* buffer, std::size_t size) -> std::ptrdiff_t {
    for (;;) {
      const ssize_t n = ::read(fd, buffer, size);
      if (n >= 0) return n;
      if (errno == EINTR) continue;
      if (errno == EAGAIN || errno == EWOULDBLOCK) {
        pollfd wait{fd, POLLIN, 0};
        ::poll(&wait, 1, -1);
        continue;
      }
      return -1;
    }
  };
}

CsvReader::ReadFn CsvReader::from_text(std::string_view text) {
  return [text](char* buffer, std::size_t size) mutable -> std::ptrdiff_t {
    const std::size_t n = std::min(size, text.size());
    if (n > 0) std::memcpy(buffer, text.data(), n);
    text.remove_prefix(n);
    return static_cast<std::ptrdiff_t>(n);
  };
}

CsvReader::CsvReader(ReadFn read, CsvOptions options)
    : read_(std::move(read)), options_(options), delimiter_(options.delimiter) {
  if (options_.block == 0) options_.block = 1;
  buffer_.resize(options_.max_record + options_.block + 1);
}

bool CsvReader::fault(State s) {
  state_ = s;
  views_.clear();
  line_ = next_line_;
  ++record_;
  return false;
}

// Reads the next block behind the bytes not yet taken, moving them to the front when the
// block would not fit. False at the end of the input or on an error.
bool CsvReader::fill() {
  if (eof_) return false;
  if (buffer_.size() - end_ < options_.block) {
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  const std::size_t room = std::min(options_.block, buffer_.size() - end_);
  const std::ptrdiff_t n = read_(buffer_.data() + end_, room);
  if (n < 0) {
    errno_ = errno;
    eof_ = true;
    state_ = State::ReadError;
    return false;
  }
  if (n == 0) {
    eof_ = true;
    return false;
  }
  end_ += static_cast<std::size_t>(n);
  return true;
}

void CsvReader::start() {
  started_ = true;
  while (end_ - begin_ < 3 && fill()) {
  }
  if (end_ - begin_ >= 3 && std::memcmp(buffer_.data() + begin_, "\xEF\xBB\xBF", 3) == 0)
    begin_ += 3;
  if (delimiter_ == '\0') detect_delimiter();
  for (char c : {delimiter_, '\r', '\n', '\0'}) stops_[static_cast<unsigned char>(c)] = true;
}

// Counts the candidates outside quotes on the first line, reading until it ends.
void CsvReader::detect_delimiter() {
  std::size_t counts[sizeof kCandidates] = {};
  bool inside = false;
  // An offset from begin_: fill() may move the bytes to the front of the buffer.
  for (std::size_t i = 0;; ++i) {
    if (begin_ + i == end_ && (i > options_.max_record || !fill())) break;
    const char c = buffer_[begin_ + i];
    if (c == '"') inside = !inside;
    if (inside) continue;
    if (c == '\n' || c == '\r') break;
    for (std::size_t k = 0; k < sizeof kCandidates; ++k) counts[k] += c == kCandidates[k];
  }
  delimiter_ = kCandidates[0];
  std::size_t best = 0;
  for (std::size_t i = 0; i < sizeof kCandidates; ++i)
    if (counts[i] > best) {
      best = counts[i];
      delimiter_ = kCandidates[i];
    }
}

// Finds the end of the record at begin_ and the bounds of its fields. More when the
// bytes read so far end inside it.
CsvReader::Scan CsvReader::scan_record(std::size_t& record_end) {
  const char* const base = buffer_.data() + begin_;
  const char* const end = buffer_.data() + end_;
  const char d = delimiter_;
  bounds_.clear();
  lines_in_record_ = 0;
  const char* p = base;
  for (;;) {
    const char* const field = p;
    bool quoted = false;
    if (p < end && *p == '"') {
      quoted = true;
      ++p;
      for (;;) {
        while (p < end && *p != '"' && *p != '\0') {
          lines_in_record_ += *p == '\n' || (*p == '\r' && (p + 1 == end || p[1] != '\n'));
          ++p;
        }
        if (p == end) return eof_ ? (state_ = State::OpenQuote, Scan::Fault) : Scan::More;
        if (*p == '\0') return state_ = State::NotText, Scan::Fault;
        if (p + 1 == end && !eof_) return Scan::More;
        if (p + 1 < end && p[1] == '"') {
          p += 2;
          continue;
        }
        ++p;  // the closing quote
        break;
      }
    }
    while (p < end && !stops_[static_cast<unsigned char>(*p)]) ++p;
    if (p == end && !eof_) return Scan::More;
    if (p < end && *p == '\0') return state_ = State::NotText, Scan::Fault;
    bounds_.push_back(
        {static_cast<std::uint32_t>(field - base), static_cast<std::uint32_t>(p - base), quoted});
    if (p == end) {
      record_end = end_;
      return Scan::Record;
    }
    if (*p == d) {
      ++p;
      continue;
    }
    if (*p == '\r') {
      if (p + 1 == end && !eof_) return Scan::More;
      if (p + 1 < end && p[1] == '\n') ++p;
    }
    record_end = begin_ + static_cast<std::size_t>(p + 1 - base);
    return Scan::Record;
  }
}

void CsvReader::take_fields(char* record, std::span<const FieldBound> bounds,
                            std::vector<std::string_view>& fields) {
  for (const FieldBound& b : bounds) {
    char* const first = record + b.begin;
    char* const last = b.quoted ? unquote(first, record + b.end) : record + b.end;
    fields.emplace_back(first, static_cast<std::size_t>(last - first));
  }
}

void CsvReader::take_record(std::size_t record_end, bool split) {
  char* const base = buffer_.data() + begin_;
  views_.clear();
  if (split)
    take_fields(base, bounds_, views_);
  else
    unsplit_ = std::string_view(base, bounds_.empty() ? 0 : bounds_.back().end);
  ++record_;
  line_ = next_line_;
  next_line_ += lines_in_record_ + 1;
  begin_ = record_end;
}

bool CsvReader::next() {
  return advance(true);
}

bool CsvReader::next_unsplit() {
  return advance(false);
}

bool CsvReader::advance(bool split) {
  unsplit_ = {};
  if (state_ != State::Reading) return false;
  if (!started_) start();
  for (;;) {
    if (state_ != State::Reading) return fault(state_);
    if (begin_ == end_ && (eof_ || !fill())) {
      if (state_ != State::Reading) return fault(state_);
      state_ = State::End;
      views_.clear();
      return false;
    }
    std::size_t record_end = 0;
    switch (scan_record(record_end)) {
      case Scan::Record:
        if (record_end - begin_ > options_.max_record) return fault(State::TooLong);
        take_record(record_end, split);
        return true;
      case Scan::Fault:
        return fault(state_);
      case Scan::More:
        if (end_ - begin_ > options_.max_record) return fault(State::TooLong);
        fill();
        break;
    }
  }
}

std::string CsvReader::error() const {
  const std::string where = "line " + std::to_string(line_);
  switch (state_) {
    case State::Reading:
    case State::End:
      return {};
    case State::NotText:
      return "it is not a text file (a NUL byte in the record on " + where + ")";
    case State::TooLong:
      return "the record on " + where + " is longer than " + size_text(options_.max_record) +
             ": it is not a table of text";
    case State::OpenQuote:
      return "the quoted field of the record on " + where +
             " is not closed when the input ends (a half-written file?)";
    case State::ReadError:
      return std::strerror(errno_);
  }
  return {};
}

}  // namespace quorvane
