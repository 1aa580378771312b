#pragma once
// The rows of lookup and find: for each zip code its place, state, county, county FIPS,
// kind of point, shared-point count and position in each table, as lines, CSV or JSON
// lines. Every row of the places is written once, up front, and copied from there, so
// a long list costs a copy a row.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/places.h"
#include "engine/zip_table.h"

namespace quorvane::cli {

enum class RowFormat { Lines, Csv, Jsonl };

class PlaceRows {
 public:
  // The tables give the positions; either may be nullptr (no positions from it).
  PlaceRows(RowFormat format, const PlaceTable& places, const ZipTable* table2016,
            const ZipTable* table2012);

  void header(std::string& out) const;
  // The row of one entry, cleaned as zip_clean.h cleans a cell. False when the entry
  // is not a zip code of the places (its row then says why).
  bool row(std::string& out, std::string_view entry);
  // The row of a place found by name.
  void row(std::string& out, const PlaceRow& place);

  // Entries without a place, by status, and the first of each.
  std::uint64_t not_in_table = 0, not_a_zip = 0;
  std::string first_not_in_table, first_not_a_zip;

 private:
  void write(std::string& out, const PlaceRow& place) const;
  void write_missing(std::string& out, std::string_view zip, std::string_view status) const;
  void position(std::string& out, const ZipTable* table, std::uint32_t zip, bool first) const;

  RowFormat format_;
  const PlaceTable& places_;
  const ZipTable* tables_[2];  // 2016, 2012
  std::string cache_;
  struct Cached {
    std::uint32_t at = 0, size = 0;  // size 0: no place
  };
  std::vector<Cached> cached_;  // by zip number
};

}  // namespace quorvane::cli
