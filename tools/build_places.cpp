#include "tools/build_places.h"

#include <fstream>
#include <iostream>
#include <set>
#include <vector>

#include "engine/place_name.h"

namespace quorvane::tools {
namespace {

// Must match kPlacesTable of the engine, which reads it.
constexpr const char* kHeader = "zip_code,place,state,county,county_fips,tables,kind,accuracy";
constexpr int kFields = 8;

// The fields of one CSV line (RFC 4180 quoting, no line break inside a field).
bool split(const std::string& line, std::vector<std::string>& fields) {
  fields.assign(1, {});
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted) {
      if (c != '"')
        fields.back() += c;
      else if (i + 1 < line.size() && line[i + 1] == '"')
        fields.back() += line[++i];
      else
        quoted = false;
    } else if (c == '"' && fields.back().empty()) {
      quoted = true;
    } else if (c == ',') {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  return !quoted && static_cast<int>(fields.size()) == kFields;
}

std::string tables_of(const std::string& zip, const ZipPoints& in2012, const ZipPoints& in2016) {
  const bool a = in2012.contains(zip), b = in2016.contains(zip);
  return a && b ? "2012+2016" : a ? "2012" : b ? "2016" : "";
}

bool is_zip(const std::string& s) {
  if (s.size() != 5) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

bool fail(const char* csv, long line, const std::string& why) {
  std::cerr << "build_zipdb: " << csv << ":" << line << ": " << why << "\n";
  return false;
}

}  // namespace

bool load_places(sqlite3* db, const char* csv, const ZipPoints& in2012, const ZipPoints& in2016) {
  std::ifstream in(csv);
  std::string line;
  if (!in || !std::getline(in, line) || line != kHeader) return fail(csv, 1, "no places header");
  std::map<std::pair<double, double>, int> at_point;
  for (const auto& [zip, point] : in2016) ++at_point[point];

  sqlite3_stmt* st = nullptr;
  if (sqlite3_exec(db,
                   "CREATE TABLE places (zip_code TEXT, place TEXT, state TEXT, county TEXT, "
                   "county_fips TEXT, tables TEXT, kind TEXT, accuracy INTEGER, shared INTEGER, "
                   "place_key TEXT)",
                   nullptr, nullptr, nullptr) != SQLITE_OK ||
      sqlite3_prepare_v2(db, "INSERT INTO places VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)", -1, &st,
                         nullptr) != SQLITE_OK)
    return fail(csv, 1, sqlite3_errmsg(db));
  std::vector<std::string> f;
  std::set<std::string> seen;
  long n = 1;
  bool ok = true;
  while (ok && std::getline(in, line)) {
    ++n;
    if (!split(line, f)) {
      ok = fail(csv, n, "not 8 fields");
      break;
    }
    const std::string& zip = f[0];
    const std::string& kind = f[6];
    const auto point = in2016.find(zip);
    if (!is_zip(zip) || !seen.insert(zip).second)
      ok = fail(csv, n, "not a zip code, or one named before: " + zip);
    else if (f[5] != tables_of(zip, in2012, in2016))
      ok = fail(csv, n, zip + " is not in the tables " + f[5]);
    else if ((kind == "none") != (point == in2016.end()) ||
             (kind != "none" && kind != "zcta" && kind != "postal"))
      ok = fail(csv, n, "kind " + kind + " does not fit " + zip);
    if (!ok) break;
    for (int i = 0; i < 7; ++i)
      sqlite3_bind_text(st, i + 1, f[i].data(), static_cast<int>(f[i].size()), SQLITE_TRANSIENT);
    if (f[7].empty())
      sqlite3_bind_null(st, 8);
    else
      sqlite3_bind_int(st, 8, std::stoi(f[7]));
    if (point == in2016.end())
      sqlite3_bind_null(st, 9);
    else
      sqlite3_bind_int(st, 9, at_point[point->second] - 1);
    const std::string key = quorvane::fold_place_name(f[1]);
    sqlite3_bind_text(st, 10, key.data(), static_cast<int>(key.size()), SQLITE_TRANSIENT);
    ok = sqlite3_step(st) == SQLITE_DONE && sqlite3_reset(st) == SQLITE_OK;
  }
  sqlite3_finalize(st);
  if (!ok) return false;
  const std::size_t expected = in2016.size() + in2012.size() - [&] {
    std::size_t both = 0;
    for (const auto& entry : in2012) both += in2016.contains(entry.first);
    return both;
  }();
  if (seen.size() != expected)
    return fail(csv, n,
                "names " + std::to_string(seen.size()) + " zip codes, the tables hold " +
                    std::to_string(expected));
  std::cout << "places: " << seen.size() << " rows\n";
  return sqlite3_exec(db,
                      "CREATE INDEX places_zip ON places (zip_code);"
                      "CREATE INDEX places_key ON places (place_key)",
                      nullptr, nullptr, nullptr) == SQLITE_OK;
}

}  // namespace quorvane::tools
