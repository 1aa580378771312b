// Comparisons per second for 1,000,000 random pairs of the 2012 table, result text
// included: the in-memory engine against opening, querying and closing the database
// for every lookup, the way the original store worked.
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "distance.h"
#include "text.h"
#include "zip_distance.h"

namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::string> zip_codes(const char* db_path) {
  std::vector<std::string> zips;
  sqlite3* db = nullptr;
  sqlite3_open_v2(db_path, &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, "SELECT printf('%05d', zip_code) FROM zip_code", -1, &st, nullptr);
  while (sqlite3_step(st) == SQLITE_ROW)
    zips.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
  sqlite3_finalize(st);
  sqlite3_close(db);
  return zips;
}

// One lookup as the original store made it: open, query, close.
bool query_point(const char* db_path, const std::string& zip, double& lat, double& lon) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(db_path, &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) return false;
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, "SELECT lattitude, longitude FROM zip_code WHERE zip_code = ?", -1, &st,
                     nullptr);
  sqlite3_bind_int64(st, 1, std::stoll(zip));
  bool found = false;
  if (sqlite3_step(st) == SQLITE_ROW) {
    lat = sqlite3_column_double(st, 0);
    lon = sqlite3_column_double(st, 1);
    found = lat != 0 && lon != 0;
  }
  sqlite3_finalize(st);
  sqlite3_close(db);
  return found;
}

double seconds_since(Clock::time_point t) {
  return std::chrono::duration<double>(Clock::now() - t).count();
}

}  // namespace

int main(int argc, char** argv) {
  const char* db = argc > 1 ? argv[1] : QUORVANE_SHIPPED_DB;
  const bool skip_baseline = argc > 2 && std::string(argv[2]) == "--no-baseline";
  const std::size_t pairs = 1000000, baseline_pairs = skip_baseline ? 1 : 20000;
  const auto zips = zip_codes(db);
  std::mt19937_64 rng(2012);
  std::uniform_int_distribution<std::size_t> pick(0, zips.size() - 1);
  std::vector<std::pair<std::size_t, std::size_t>> work(pairs);
  for (auto& p : work) p = {pick(rng), pick(rng)};

  quorvane::ZipDistance engine(db);
  auto t0 = Clock::now();
  {
    quorvane::ZipDistance::Batch batch(engine);
    engine.GetDistance("03053", "92018", 3, false);
  }
  const double load = seconds_since(t0);

  std::size_t bytes = 0;
  std::string line;
  t0 = Clock::now();
  {
    quorvane::ZipDistance::Batch batch(engine);
    for (const auto& [a, b] : work) {
      line.clear();
      engine.append_distance(line, zips[a], zips[b], 3, false);
      bytes += line.size();
    }
  }
  const double fast = seconds_since(t0);

  t0 = Clock::now();
  for (std::size_t i = 0; i < baseline_pairs; ++i) {
    const auto& [a, b] = work[i];
    double lat1 = 0, lon1 = 0, lat2 = 0, lon2 = 0;
    std::string text;
    if (zips[a] == zips[b]) {
      text = "Distance between " + zips[a] + " and " + zips[b] + " is 0 miles";
    } else if (!query_point(db, zips[a], lat1, lon1)) {
      text = "No details found for zip code: " + zips[a];
    } else if (!query_point(db, zips[b], lat2, lon2)) {
      text = "No details found for zip code: " + zips[b];
    } else {
      text = "Distance between " + zips[a] + " and " + zips[b] + " is " +
             quorvane::distance_text(quorvane::distance_miles(lat1, lat2, lon1, lon2), ".") +
             " miles";
    }
    bytes += text.size();
  }
  const double slow = seconds_since(t0);

  const double fast_rate = pairs / fast, slow_rate = baseline_pairs / slow;
  std::printf("table load (both lookups' first batch): %.1f ms\n", load * 1e3);
  std::printf("in-memory engine: %zu comparisons in %.3f s = %.2f million/s (%.0f ns each)\n",
              pairs, fast, fast_rate / 1e6, fast * 1e9 / pairs);
  std::printf("open-query-close per lookup: %zu comparisons in %.3f s = %.0f /s (%.1f us each)\n",
              baseline_pairs, slow, slow_rate, slow * 1e6 / baseline_pairs);
  std::printf("ratio: %.0fx\n", fast_rate / slow_rate);
  std::printf("(%zu bytes of text)\n", bytes);
  return 0;
}
