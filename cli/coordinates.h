#pragma once
// Positions and distances as the spatial commands write them.
#include <string>
#include <string_view>

#include "engine/zip_distance.h"

namespace quorvane::cli {

// " miles" or " km", as the result lines name the units.
std::string_view unit_word(Units units);

// The column name of a distance in CSV: "miles" or "km".
std::string_view unit_column(Units units);

// Latitude and longitude as stored, in the shortest form that reads back the same, with
// a full stop, separated by `between`.
void append_coordinates(std::string& out, double lat, double lon, std::string_view between);

// A number given on the command line, written back in its shortest form ("1", "0.5").
std::string number_text(double v);

}  // namespace quorvane::cli
