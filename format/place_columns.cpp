#include "format/place_columns.h"

#include "engine/zip_clean.h"
#include "format/csv.h"
#include "format/json.h"

namespace quorvane {

const PlaceRow* place_of(const PlaceTable& places, std::string_view zip) {
  const CleanZip clean = clean_zip(zip);
  if (!clean.ok()) return nullptr;
  std::uint32_t n = 0;
  for (char c : clean.zip()) n = n * 10 + static_cast<std::uint32_t>(c - '0');
  return places.find(n);
}

void append_places_kind(std::string& out, const PlaceRow* row) {
  if (!row) return;
  if (row->shared > 0) {
    out += "shared:";
    out += std::to_string(row->shared);
  } else {
    append_point_kind(out, *row);
  }
}

void append_places_header(std::string& out, std::string_view prefix, char delimiter) {
  for (const char* name : {"place", "state", "kind"}) {
    out += delimiter;
    out += prefix;
    out += name;
  }
}

void append_places_csv(std::string& out, const PlaceTable& places, std::string_view zip,
                       char delimiter) {
  const PlaceRow* row = place_of(places, zip);
  out += delimiter;
  if (row) append_csv_field(out, places.place(*row), delimiter);
  out += delimiter;
  if (row) append_csv_field(out, places.state(*row), delimiter);
  out += delimiter;
  append_places_kind(out, row);
}

void append_places_json(std::string& out, const PlaceTable& places, std::string_view zip,
                        std::string_view prefix) {
  const PlaceRow* row = place_of(places, zip);
  auto member = [&](const char* name, std::string_view value, bool null) {
    out += ",\"";
    out += prefix;
    out += name;
    out += "\":";
    if (null)
      out += "null";
    else
      append_json_string(out, value);
  };
  member("place", row ? places.place(*row) : "", !row || places.place(*row).empty());
  member("state", row ? places.state(*row) : "", !row || places.state(*row).empty());
  std::string kind;
  append_places_kind(kind, row);
  member("kind", kind, !row);
}

void append_places_note(std::string& out, const PlaceTable& places, std::string_view zip) {
  const PlaceRow* row = place_of(places, zip);
  if (!row || (places.place(*row).empty() && places.state(*row).empty())) return;
  out += " (";
  out += places.place(*row);
  if (!places.place(*row).empty() && !places.state(*row).empty()) out += ", ";
  out += places.state(*row);
  out += ')';
}

}  // namespace quorvane

namespace quorvane {

void append_placed_line(std::string& out, std::string_view line, const ZipPair& pair,
                        const PairResult& result, Wording wording, const PlaceTable& places) {
  // Each part of the line in turn: a text that must follow, or a zip code to note.
  auto take = [&](std::string_view part) {
    if (line.substr(0, part.size()) != part) return false;
    out += part;
    line.remove_prefix(part.size());
    return true;
  };
  auto zip = [&](std::string_view z) {
    if (!take(z)) return false;
    append_places_note(out, places, z);
    return true;
  };
  if (result.status != PairStatus::Distance) {
    if (take(kNoDetails)) zip(result.failed == 1 ? pair.first : pair.second);
  } else if (wording == Wording::Sentence) {
    (void)(take("Distance between ") && zip(pair.first) && take(" and ") && zip(pair.second));
  } else if (wording == Wording::ZipsAndDistance) {
    (void)(zip(pair.first) && take(" to ") && zip(pair.second));
  }
  out += line;
}

}  // namespace quorvane
