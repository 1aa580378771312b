#pragma once
// A cross-check of the 2012 and 2016 tables: the zip codes whose positions differ by
// more than a limit, those found in one table only, and those without a position in one.
#include <string>
#include <vector>

#include "engine/zip_distance.h"
#include "engine/zip_table.h"

namespace quorvane {

struct MovedZip {
  std::string zip;
  double lat2012 = 0, lon2012 = 0, lat2016 = 0, lon2016 = 0;
  double distance = 0;  // from the 2012 position to the 2016 one, in the units asked for
};

struct TableDiff {
  std::vector<MovedZip> moved;  // more than the limit apart: largest first, ties by zip code
  std::vector<std::string> only2012, only2016;  // sorted
  // Without a position (zero or unreadable coordinates) in that table, whether or not
  // the other table has them; sorted.
  std::vector<std::string> unplaced2012, unplaced2016;
};

// Joins the tables by zip code text (the 2012 table's numbers read as five digits).
TableDiff diff_tables(const ZipTable& table2012, const ZipTable& table2016, double limit,
                      Method method, Units units);

}  // namespace quorvane
