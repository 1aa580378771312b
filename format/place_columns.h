#pragma once
// The place columns that --places adds to an output: each zip code's place, state and
// kind of point, in CSV, JSON lines or a result line. One set of writers for every
// command that names zip codes.
#include <string>
#include <string_view>

#include "engine/places.h"
#include "engine/zip_distance.h"

namespace quorvane {

// The row of a zip code as the command line cleans it (zip_clean.h), or nullptr.
const PlaceRow* place_of(const PlaceTable& places, std::string_view zip);

// The kind of point as --places writes it: "shared:N" for a 2016 point shared with N
// other zip codes, otherwise as append_point_kind writes it; empty for no row.
void append_places_kind(std::string& out, const PlaceRow* row);

// The header names after the existing ones: ",place,state,kind" with an empty prefix,
// ",from_place,from_state,from_kind" with the prefix "from_".
void append_places_header(std::string& out, std::string_view prefix, char delimiter = ',');
// The three CSV fields, each after a delimiter; empty fields for no row.
void append_places_csv(std::string& out, const PlaceTable& places, std::string_view zip,
                       char delimiter = ',');
// The three JSON members, each after a comma: ,"place":"...","state":"...","kind":"..."
// (prefixed names as in the header; null for no row).
void append_places_json(std::string& out, const PlaceTable& places, std::string_view zip,
                        std::string_view prefix);
// " (Place, ST)" to follow the zip code in a result line; nothing for no row.
void append_places_note(std::string& out, const PlaceTable& places, std::string_view zip);

}  // namespace quorvane

namespace quorvane {

// A result line of a comparison (zip_distance.h) with " (Place, ST)" after each zip
// code it names, appended to `out`; a line of another shape is copied as it is.
void append_placed_line(std::string& out, std::string_view line, const ZipPair& pair,
                        const PairResult& result, Wording wording, const PlaceTable& places);

}  // namespace quorvane
