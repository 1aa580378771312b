#pragma once
// The places of the zip code database: each zip code's place name, state, county and
// the kind of its 2016 point, from the database's `places` table. Only commands that
// ask for places read it.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

struct Cell;

// The table, as the build writes it (tools/build_places.cpp).
inline constexpr const char* kPlacesTable = "places";

// What the 2016 point of a zip code is.
enum class PointKind : std::uint8_t {
  None,    // the 2016 table lacks the zip code
  Zcta,    // a Census ZCTA internal point
  Postal,  // a GeoNames postal-code point
};

struct PlaceRow {
  std::uint32_t zip = 0;         // its number, 0 to 99999
  std::uint32_t text = 0;        // where its five texts start in the table's text
  std::uint8_t lengths[5] = {};  // of place, state, county, county FIPS, tables
  PointKind kind = PointKind::None;
  std::int8_t accuracy = -1;  // GeoNames' accuracy code of a postal point, or -1
  std::int32_t shared = -1;   // other zip codes at exactly its 2016 point, or -1 (none)
};

class PlaceTable {
 public:
  // Reads the database's places table. Throws RuntimeError with the reason when the
  // file is not an SQLite database with that table.
  static std::unique_ptr<PlaceTable> load(const std::string& path);
  // Only the rows of these zip codes (five digits), read by the table's index: a few
  // lookups cost far less than the whole table.
  static std::unique_ptr<PlaceTable> load_zips(const std::string& path,
                                               std::span<const std::string_view> zips);
  // Only the rows whose place name folds (place_name.h) as `name` does, read by the
  // folded names the build stores in the column place_key.
  static std::unique_ptr<PlaceTable> load_place(const std::string& path, std::string_view name);

  std::size_t size() const { return rows_.size(); }
  const PlaceRow& row(std::size_t i) const { return rows_[i]; }
  // The row of a zip number, or nullptr.
  const PlaceRow* find(std::uint32_t zip) const {
    const std::int32_t r = zip < by_zip_.size() ? by_zip_[zip] : -1;
    return r < 0 ? nullptr : &rows_[static_cast<std::size_t>(r)];
  }

  std::string_view place(const PlaceRow& r) const { return field(r, 0); }
  std::string_view state(const PlaceRow& r) const { return field(r, 1); }
  std::string_view county(const PlaceRow& r) const { return field(r, 2); }
  std::string_view county_fips(const PlaceRow& r) const { return field(r, 3); }
  std::string_view tables(const PlaceRow& r) const { return field(r, 4); }

  // The rows whose place name is `name` (case, accents and punctuation ignored, see
  // place_name.h), in the state `state` (two letters, any case; empty: any) and the
  // county `county` (compared as names are; empty: any), in zip code order.
  std::vector<const PlaceRow*> find_place(std::string_view name, std::string_view state,
                                          std::string_view county) const;

  // Adds a row from the cells of the columns zip_code, place, state, county,
  // county_fips, tables, kind, accuracy and shared; a zip code seen before keeps its
  // first row, a key that is not five digits is passed over.
  void add(const Cell* cells);

 private:
  std::string_view field(const PlaceRow& r, int i) const {
    std::size_t at = r.text;
    for (int k = 0; k < i; ++k) at += r.lengths[k];
    return std::string_view(text_).substr(at, r.lengths[i]);
  }
  std::vector<PlaceRow> rows_;
  std::vector<std::int32_t> by_zip_ = std::vector<std::int32_t>(100000, -1);
  std::string text_;
};

// "zcta", "postal", "postal:A" with GeoNames' accuracy code A, or "none".
void append_point_kind(std::string& out, const PlaceRow& r);

}  // namespace quorvane
