#include "engine/list_reader.h"

namespace quorvane {
namespace {

// Length of the valid UTF-8 sequence at p (0 when the byte starts none).
std::size_t utf8_sequence(const unsigned char* p, std::size_t left) {
  const unsigned char c = p[0];
  std::size_t n;
  if (c < 0x80) return 1;
  if (c >= 0xC2 && c <= 0xDF)
    n = 2;
  else if (c >= 0xE0 && c <= 0xEF)
    n = 3;
  else if (c >= 0xF0 && c <= 0xF4)
    n = 4;
  else
    return 0;
  if (left < n) return 0;
  for (std::size_t i = 1; i < n; ++i)
    if ((p[i] & 0xC0) != 0x80) return 0;
  if (c == 0xE0 && p[1] < 0xA0) return 0;  // overlong
  if (c == 0xED && p[1] > 0x9F) return 0;  // surrogates
  if (c == 0xF0 && p[1] < 0x90) return 0;  // overlong
  if (c == 0xF4 && p[1] > 0x8F) return 0;  // past U+10FFFF
  return n;
}

bool is_ascii(std::string_view s) {
  unsigned char any = 0;
  for (char c : s) any |= static_cast<unsigned char>(c);
  return any < 0x80;
}

constexpr std::string_view kBom = "\xEF\xBB\xBF";

}  // namespace

std::string utf8_or_latin1(const char* data, std::size_t size) {
  const auto* p = reinterpret_cast<const unsigned char*>(data);
  std::size_t i = 0;
  while (i < size && p[i] < 0x80) ++i;
  if (i == size) return std::string(data, size);  // plain ASCII, the usual case
  std::string out(data, i);
  while (i < size) {
    const std::size_t n = utf8_sequence(p + i, size - i);
    if (n > 0) {
      out.append(data + i, n);
      i += n;
    } else {
      out += static_cast<char>(0xC0 | (p[i] >> 6));
      out += static_cast<char>(0x80 | (p[i] & 0x3F));
      ++i;
    }
  }
  return out;
}

void ListReader::deliver(std::string_view raw, const EntryFn& entry) {
  ++entries_;
  if (is_ascii(raw)) {
    entry(raw);
  } else {
    scratch_ = utf8_or_latin1(raw.data(), raw.size());
    entry(scratch_);
  }
}

// Keeps the start of a line that the input so far has not ended.
bool ListReader::hold(std::string_view part) {
  if (part.size() > max_line_ - pending_.size()) {
    state_ = State::TooLong;
    return false;
  }
  pending_ += part;
  return true;
}

// Settles whether the input starts with a UTF-8 byte-order mark, which is skipped. The
// mark's bytes are neither line ends nor NUL, so a partial mark simply starts the first
// line.
bool ListReader::take_bom(std::string_view& bytes) {
  while (!bytes.empty() && pending_.size() < kBom.size()) {
    if (bytes.front() != kBom[pending_.size()]) return started_ = true;
    pending_ += bytes.front();
    bytes.remove_prefix(1);
  }
  if (pending_.size() == kBom.size()) {
    pending_.clear();
    started_ = true;
  }
  return started_;
}

bool ListReader::feed(std::string_view bytes, const EntryFn& entry) {
  if (state_ != State::Reading) return false;
  if (!started_ && !take_bom(bytes)) return true;
  if (bytes.empty()) return true;
  if (after_cr_) {
    after_cr_ = false;
    if (bytes.front() == '\n') bytes.remove_prefix(1);
  }
  const std::size_t n = bytes.size();
  std::size_t start = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const char c = bytes[i];
    if (c != '\r' && c != '\n') {
      if (c != '\0') continue;
      state_ = State::NotText;
      return false;
    }
    const std::string_view line = bytes.substr(start, i - start);
    if (pending_.empty() && line.size() <= max_line_) {
      deliver(line, entry);
    } else {
      if (!hold(line)) return false;
      deliver(pending_, entry);
      pending_.clear();
    }
    after_lone_lf_ = c == '\n';
    if (c == '\r') {
      if (i + 1 == n)
        after_cr_ = true;
      else if (bytes[i + 1] == '\n')
        ++i;
    }
    start = i + 1;
  }
  if (start < n) {
    after_lone_lf_ = false;
    return hold(bytes.substr(start));
  }
  return true;
}

bool ListReader::finish(const EntryFn& entry, bool final_lf_ends_line) {
  if (state_ != State::Reading) return false;
  // A last line without a line end is still an entry; so is the empty piece after a
  // final LF, which ends no line, unless the caller reads LF as a line's end.
  if (!pending_.empty() || (after_lone_lf_ && !final_lf_ends_line)) deliver(pending_, entry);
  pending_.clear();
  after_lone_lf_ = false;
  return true;
}

}  // namespace quorvane
