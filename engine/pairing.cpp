#include "engine/pairing.h"

#include <cstring>
#include <utility>

#include "engine/text.h"

namespace quorvane {

Pairing::Pairing(std::string decimal_separator, std::string group_separator)
    : decimal_(std::move(decimal_separator)),
      group_(std::move(group_separator)),
      pairs_(new ZipPair[kBlock]),
      text_(new char[(2 * kBlock + 2) * kZipBytes]) {}

void Pairing::set_reference(std::string_view entry) {
  const EntryZip zip = entry_zip(entry);
  reference_ = zip.zip;
  reference_shifted_ = zip.shifted;
}

namespace {

// The usual entry, five ASCII digits, passes the numeric test and is its own zip code.
EntryZip zip_of(std::string_view entry) {
  return five_digit_number(entry) >= 0 ? EntryZip{entry, false} : entry_zip(entry);
}

std::uint8_t shift_bits(bool first, bool second) {
  return static_cast<std::uint8_t>((first ? kFirstShifted : 0) | (second ? kSecondShifted : 0));
}

}  // namespace

bool Pairing::starts_comparison(std::string_view entry) const {
  return five_digit_number(entry) >= 0 || is_numeric(entry, decimal_, group_);
}

void Pairing::restart() {
  stale_ = false;
  if (!previous_.empty()) std::memmove(text_.get(), previous_.data(), previous_.size());
  used_ = previous_.size();
  previous_ = {text_.get(), used_};
}

std::string_view Pairing::keep(std::string_view zip) {
  char* at = text_.get() + used_;
  if (zip.size() == 5)
    std::memcpy(at, zip.data(), 5);  // the usual zip code: a copy the compiler inlines
  else if (!zip.empty())
    std::memcpy(at, zip.data(), zip.size());  // zip_part: at most kZipBytes
  used_ += zip.size();
  return {at, zip.size()};
}

void Pairing::add(std::string_view first_entry, EntryZip second) {
  if (stale_) restart();
  const EntryZip first = zip_of(first_entry);
  const std::string_view first_zip = keep(first.zip);
  pairs_[count_++] = {first_zip, keep(second.zip), shift_bits(first.shifted, second.shifted)};
}

void Pairing::add_with_next(std::string_view entry, std::string_view next) {
  if (stale_) {
    restart();
    kept_next_ = {};
  }
  // The entry was the last pair's second, already kept: in consecutive mode most are.
  EntryZip first{kept_zip_, kept_shifted_};
  if (entry.data() != kept_next_.data() || entry.size() != kept_next_.size()) {
    first = zip_of(entry);
    first.zip = keep(first.zip);
  }
  const EntryZip second = zip_of(next);
  kept_next_ = next;
  kept_zip_ = keep(second.zip);
  kept_shifted_ = second.shifted;
  pairs_[count_++] = {first.zip, kept_zip_, shift_bits(first.shifted, second.shifted)};
}

void Pairing::take_with_next(std::string_view entry, std::string_view next) {
  if (mode_ == Mode::None || !starts_comparison(entry)) return;
  if (mode_ == Mode::Consecutive)
    add_with_next(entry, next);
  else
    add(entry, EntryZip{reference_, reference_shifted_});
}

void Pairing::take(std::string_view entry, std::optional<std::string_view> next) {
  if (mode_ == Mode::None || !starts_comparison(entry)) return;
  if (mode_ == Mode::Consecutive) {
    if (next) add_with_next(entry, *next);
  } else {
    add(entry, EntryZip{reference_, reference_shifted_});
  }
}

void Pairing::take_next(std::string_view entry) {
  if (mode_ != Mode::Consecutive) {
    take(entry, std::nullopt);
    return;
  }
  const bool starts = starts_comparison(entry);
  if (!starts && !previous_starts_) return;  // no comparison needs this zip code
  if (stale_) restart();
  const EntryZip entry_zip = zip_of(entry);
  const std::string_view zip = keep(entry_zip.zip);
  if (previous_starts_)
    pairs_[count_++] = {previous_, zip, shift_bits(previous_shifted_, entry_zip.shifted)};
  previous_ = zip;
  previous_starts_ = starts;
  previous_shifted_ = entry_zip.shifted;
}

}  // namespace quorvane
