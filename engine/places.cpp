#include "engine/places.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "engine/error_trap.h"
#include "engine/place_name.h"
#include "engine/regular_file.h"
#include "engine/sqlite_columns.h"
#include "engine/text.h"
#include "engine/zip_table.h"

namespace quorvane {
namespace {

constexpr std::array<const char*, 9> kColumns = {
    "zip_code", "place", "state", "county", "county_fips", "tables", "kind", "accuracy", "shared"};
// No place name or county comes near this; a longer field is cut here.
constexpr std::size_t kMaxField = 255;

std::string_view text_of(const Cell& c) {
  return c.type == Cell::Text ? c.text.substr(0, kMaxField) : std::string_view();
}

std::int64_t whole_of(const Cell& c, std::int64_t none, std::int64_t high) {
  if (c.type != Cell::Number || !(c.number >= 0) || c.number > static_cast<double>(high))
    return none;
  return static_cast<std::int64_t>(c.number);
}

void take_row(void* ctx, std::span<const Cell> cells) {
  static_cast<PlaceTable*>(ctx)->add(cells.data());
}

bool is_sqlite(const std::string& path) {
  char header[16] = {};
  const RegularFile file(path);
  return ::pread(file.fd(), header, sizeof header, 0) == sizeof header &&
         std::memcmp(header, "SQLite format 3", 16) == 0;
}

std::unique_ptr<PlaceTable> read(const std::string& path, const KeyFilter* filter) {
  if (!is_sqlite(path))
    throw RuntimeError(3078, "it is not an SQLite database, so it has no places table");
  auto table = std::make_unique<PlaceTable>();
  read_sqlite_columns(path, kPlacesTable, kColumns, take_row, table.get(), filter);
  return table;
}

}  // namespace

std::unique_ptr<PlaceTable> PlaceTable::load(const std::string& path) {
  return read(path, nullptr);
}

std::unique_ptr<PlaceTable> PlaceTable::load_zips(const std::string& path,
                                                  std::span<const std::string_view> zips) {
  const KeyFilter filter{"zip_code", zips};
  return read(path, &filter);
}

std::unique_ptr<PlaceTable> PlaceTable::load_place(const std::string& path, std::string_view name) {
  const std::string key = fold_place_name(name);
  const std::string_view keys[] = {key};
  const KeyFilter filter{"place_key", keys};
  return read(path, &filter);
}

void PlaceTable::add(const Cell* cells) {
  const std::string_view zip_text = text_of(cells[0]);
  const std::int32_t zip = five_digit_number(zip_text);
  if (zip < 0 || by_zip_[static_cast<std::size_t>(zip)] >= 0) return;  // first row counts
  PlaceRow r;
  r.zip = static_cast<std::uint32_t>(zip);
  r.text = static_cast<std::uint32_t>(text_.size());
  for (int i = 0; i < 5; ++i) {
    const std::string_view f = text_of(cells[1 + i]);
    text_ += f;
    r.lengths[i] = static_cast<std::uint8_t>(f.size());
  }
  const std::string_view kind = text_of(cells[6]);
  r.kind = kind == "zcta"     ? PointKind::Zcta
           : kind == "postal" ? PointKind::Postal
                              : PointKind::None;
  r.accuracy = static_cast<std::int8_t>(whole_of(cells[7], -1, 99));
  r.shared = static_cast<std::int32_t>(whole_of(cells[8], -1, 10'000'000));
  by_zip_[static_cast<std::size_t>(zip)] = static_cast<std::int32_t>(rows_.size());
  rows_.push_back(r);
}

std::vector<const PlaceRow*> PlaceTable::find_place(std::string_view name, std::string_view state,
                                                    std::string_view county) const {
  const std::string want = fold_place_name(name);
  const std::string want_county = fold_place_name(county);
  std::string folded;
  std::vector<const PlaceRow*> found;
  for (const PlaceRow& r : rows_) {
    if (!state.empty() &&
        (this->state(r).size() != 2 || (this->state(r)[0] | 0x20) != (state[0] | 0x20) ||
         (this->state(r)[1] | 0x20) != (state[1] | 0x20)))
      continue;
    folded.clear();
    fold_place_name(place(r), folded);
    if (folded != want) continue;
    if (!county.empty()) {
      folded.clear();
      fold_place_name(this->county(r), folded);
      if (folded != want_county) continue;
    }
    found.push_back(&r);
  }
  std::sort(found.begin(), found.end(),
            [](const PlaceRow* a, const PlaceRow* b) { return a->zip < b->zip; });
  return found;
}

void append_point_kind(std::string& out, const PlaceRow& r) {
  switch (r.kind) {
    case PointKind::Zcta:
      out += "zcta";
      return;
    case PointKind::Postal:
      out += "postal";
      if (r.accuracy >= 0) {
        out += ':';
        out += std::to_string(r.accuracy);
      }
      return;
    case PointKind::None:
      out += "none";
  }
}

}  // namespace quorvane
