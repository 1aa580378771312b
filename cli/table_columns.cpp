#include "cli/table_columns.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>

#include "cli/common.h"
#include "engine/zip_clean.h"
#include "format/status_words.h"

namespace quorvane::cli {
namespace {}  // namespace

bool is_column_number(std::string_view col) {
  std::size_t n = 0;
  const auto r = std::from_chars(col.data(), col.data() + col.size(), n);
  return !col.empty() && r.ec == std::errc() && r.ptr == col.data() + col.size() && n >= 1;
}

CellPlace place_of_cell(const ZipTable& table, std::string_view cell, bool strict, bool use2016) {
  CellPlace out;
  const CleanZip clean = clean_zip(cell, strict);
  if (!clean.ok()) return out;
  LocatedZip found = locate_zip(table, clean.zip(), use2016);
  switch (found.status) {
    case PlaceStatus::Found:
      out.status = PairStatus::Distance;
      out.place = std::move(found.place);
      break;
    case PlaceStatus::NotInTable:
      out.status = PairStatus::NotInTable;
      break;
    case PlaceStatus::ZeroCoordinates:
      out.status = PairStatus::ZeroCoordinates;
      break;
    case PlaceStatus::BadCoordinates:
      out.status = PairStatus::BadCoordinates;
      break;
  }
  return out;
}

PairStatus read_degrees(std::string_view cell, double limit, double& value) {
  while (!cell.empty() && (cell.front() == ' ' || cell.front() == '\t')) cell.remove_prefix(1);
  while (!cell.empty() && (cell.back() == ' ' || cell.back() == '\t')) cell.remove_suffix(1);
  if (!cell.empty() && cell.front() == '+') cell.remove_prefix(1);
  const auto r = std::from_chars(cell.data(), cell.data() + cell.size(), value);
  if (cell.empty() || r.ec == std::errc::invalid_argument || r.ptr != cell.data() + cell.size())
    return PairStatus::NotNumeric;
  if (r.ec != std::errc() || !std::isfinite(value) || std::fabs(value) > limit)
    return PairStatus::BadCoordinates;
  return value == 0 ? PairStatus::ZeroCoordinates : PairStatus::Distance;
}

InputFile::InputFile(const std::string& path) {
  if (path == "-") {
    fd_ = STDIN_FILENO;
    return;
  }
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) {
    report("Cannot read " + path + ": " + std::strerror(errno));
    return;
  }
  owned_ = true;
}

InputFile::~InputFile() {
  if (owned_) ::close(fd_);
}

void StatusTally::add(PairStatus status, std::string_view cell, std::uint64_t line) {
  Kind& k = kinds_[index(status)];
  if (k.count++ == 0) {
    k.first = cell.substr(0, 80);
    k.line = line;
  }
}

std::uint64_t StatusTally::total() const {
  std::uint64_t n = 0;
  for (const Kind& k : kinds_) n += k.count;
  return n;
}

void StatusTally::report_lines(std::string_view rows) const {
  for (std::size_t i = 0; i < kKinds; ++i) {
    const Kind& k = kinds_[i];
    if (k.count == 0) continue;
    const auto status = static_cast<PairStatus>(i);
    std::string m = std::string(rows) + " ";
    if (status == PairStatus::Distance) {
      report(m + "with a distance: " + std::to_string(k.count));
      continue;
    }
    report(m + std::string(status_word(status)) + ": " + std::to_string(k.count) + " (first: '" +
           k.first + "', line " + std::to_string(k.line) + ")");
  }
}

std::string StatusTally::left_out(std::string_view things) const {
  std::string m;
  for (std::size_t i = 1; i < kKinds; ++i) {
    const Kind& k = kinds_[i];
    if (k.count == 0) continue;
    m += (m.empty() ? "" : ", ") + std::to_string(k.count) + " " +
         std::string(status_word(static_cast<PairStatus>(i))) + " (first: '" + k.first +
         "', line " + std::to_string(k.line) + ")";
  }
  return m.empty() ? m : std::string(things) + " left out: " + m;
}

}  // namespace quorvane::cli
