#pragma once
// The places table of the zip code database, written from data/places.csv.
#include <sqlite3.h>

#include <map>
#include <string>
#include <utility>

namespace quorvane::tools {

// The points of a zip code table as its CSV gives them, by zip code text.
using ZipPoints = std::map<std::string, std::pair<double, double>>;

// Writes the table `places` from the CSV (zip_code,place,state,county,county_fips,tables,
// kind,accuracy), adding each zip code's count of other zip codes of the 2016 table at
// exactly its point (shared) and its place name folded for search (place_key). The file must name every zip code of both tables once, with the
// tables that hold it and kind none exactly when the 2016 table lacks it; false, with a
// message, when it does not.
bool load_places(sqlite3* db, const char* csv, const ZipPoints& in2012, const ZipPoints& in2016);

}  // namespace quorvane::tools
