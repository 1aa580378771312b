// Spatial queries over the shipped 2016 table: zip codes within 25 miles of random
// centres (queries per second and the median answer time, against a full scan), the
// nearest 10 to random points, and the distance matrix of 5,000 zip codes on every core
// and on one.
//
//   spatial_bench [DATABASE]
//   spatial_bench [--db FILE] --centres FILE [--miles M]
//
// With --centres, each zip code of FILE (one a line) is looked up and answered within M
// miles (default 25), and the lines "queries_per_second N" and "median_query_ms X" are
// printed, for side-by-side runs with other tools.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "engine/zip_index.h"
#include "format/distance_matrix.h"

namespace {

using Clock = std::chrono::steady_clock;
using quorvane::Method;
using quorvane::Units;

double seconds_since(Clock::time_point t) {
  return std::chrono::duration<double>(Clock::now() - t).count();
}

// A full scan with the same formula: what the index saves.
std::size_t scan_within(const quorvane::ZipIndex& index, const quorvane::ZipPlace& c,
                        double miles) {
  std::size_t n = 0;
  for (const auto& p : index.places())
    n += quorvane::place_distance(c, p, Method::Sphere, Units::Miles) <= miles;
  return n;
}

void bench_within(const quorvane::ZipIndex& index, std::mt19937_64& rng) {
  const std::size_t queries = 200000, scans = 500;
  std::uniform_int_distribution<std::size_t> pick(0, index.size() - 1);
  std::vector<std::size_t> centres(queries);
  for (auto& c : centres) c = pick(rng);

  std::vector<double> times(queries);
  std::size_t found = 0;
  const auto t0 = Clock::now();
  for (std::size_t i = 0; i < queries; ++i) {
    const auto q0 = Clock::now();
    found += index.within(index.places()[centres[i]], 25, Method::Sphere, Units::Miles).size();
    times[i] = seconds_since(q0);
  }
  const double total = seconds_since(t0);
  std::nth_element(times.begin(), times.begin() + queries / 2, times.end());
  const double median = times[queries / 2];
  std::nth_element(times.begin(), times.begin() + queries * 99 / 100, times.end());
  std::printf(
      "within 25 miles: %zu queries, %.0f queries/s, median %.1f us, p99 %.1f us, "
      "%.1f zip codes per answer\n",
      queries, queries / total, median * 1e6, times[queries * 99 / 100] * 1e6,
      double(found) / queries);

  std::size_t scanned = 0;
  const auto s0 = Clock::now();
  for (std::size_t i = 0; i < scans; ++i)
    scanned += scan_within(index, index.places()[centres[i]], 25);
  const double scan = seconds_since(s0);
  std::printf("full scan, same formula: %.0f queries/s (%zu found)\n", scans / scan, scanned);
}

void bench_nearest(const quorvane::ZipIndex& index, std::mt19937_64& rng) {
  const std::size_t queries = 100000;
  std::uniform_real_distribution<> lat(25, 49), lon(-124, -67);
  std::size_t found = 0;
  const auto t0 = Clock::now();
  for (std::size_t i = 0; i < queries; ++i)
    found +=
        index
            .nearest(quorvane::make_place({}, lat(rng), lon(rng)), 10, Method::Sphere, Units::Miles)
            .size();
  std::printf("nearest 10 to random points: %.0f queries/s (%zu found)\n",
              queries / seconds_since(t0), found);
}

void bench_matrix(const quorvane::ZipTable& table, const quorvane::ZipIndex& index,
                  std::mt19937_64& rng) {
  std::vector<std::string> zips;
  for (int i = 0; i < 5000; ++i) zips.push_back(index.places()[rng() % index.size()].zip);
  for (unsigned threads : {0u, 1u}) {
    std::size_t bytes = 0;
    const auto t0 = Clock::now();
    quorvane::write_distance_matrix(table, zips, {true, Method::Sphere, Units::Miles, threads},
                                    [&](std::string_view s) { bytes += s.size(); });
    std::printf("matrix of 5,000 zip codes (12.5 million pairs), %s: %.2f s, %.1f MB of CSV\n",
                threads ? "one thread" : "every core", seconds_since(t0), bytes / 1e6);
  }
}

// The centres of a file, each looked up as a query does it and answered within `miles`.
int bench_centres(const quorvane::ZipTable& table, const quorvane::ZipIndex& index,
                  const char* path, double miles) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    std::fprintf(stderr, "spatial_bench: %s is not a regular file\n", path);
    return 2;
  }
  std::ifstream in(path);
  std::vector<std::string> centres;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) centres.push_back(line);
  }
  if (centres.empty()) {
    std::fprintf(stderr, "spatial_bench: no zip codes in %s\n", path);
    return 2;
  }
  // A few untimed queries first, as the peers get theirs, so caches are warm.
  for (std::size_t i = 0; i < std::min<std::size_t>(centres.size(), 20); ++i) {
    const auto centre = quorvane::locate_zip(table, centres[i], true);
    if (centre.status == quorvane::PlaceStatus::Found)
      index.within(centre.place, miles, Method::Sphere, Units::Miles);
  }
  std::vector<double> times(centres.size());
  std::size_t found = 0, unknown = 0;
  const auto t0 = Clock::now();
  for (std::size_t i = 0; i < centres.size(); ++i) {
    const auto q0 = Clock::now();
    const auto centre = quorvane::locate_zip(table, centres[i], true);
    if (centre.status == quorvane::PlaceStatus::Found)
      found += index.within(centre.place, miles, Method::Sphere, Units::Miles).size();
    else
      ++unknown;
    times[i] = seconds_since(q0);
  }
  const double total = seconds_since(t0);
  std::sort(times.begin(), times.end());
  const std::size_t mid = times.size() / 2;
  const double median = times.size() % 2 ? times[mid] : (times[mid - 1] + times[mid]) / 2;
  std::printf("queries_per_second %.1f\nmedian_query_ms %.4f\n", centres.size() / total,
              median * 1e3);
  std::printf("queries %zu\nzips_found %zu\ncentres_without_position %zu\n", centres.size(), found,
              unknown);
  return 0;
}

int usage() {
  std::fprintf(stderr,
               "usage: spatial_bench [DATABASE]\n"
               "       spatial_bench [--db FILE] --centres FILE [--miles M]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  const char* db = QUORVANE_SHIPPED_DB;
  const char* centres = nullptr;
  double miles = 25;
  for (int i = 1; i < argc; ++i) {
    const bool has_value = i + 1 < argc;
    if (std::strcmp(argv[i], "--db") == 0 && has_value)
      db = argv[++i];
    else if (std::strcmp(argv[i], "--centres") == 0 && has_value)
      centres = argv[++i];
    else if (std::strcmp(argv[i], "--miles") == 0 && has_value)
      miles = std::atof(argv[++i]);
    else if (argv[i][0] != '-' && i == 1 && argc == 2)
      db = argv[i];
    else
      return usage();
  }
  if (!(miles >= 0)) return usage();
  auto t0 = Clock::now();
  const auto table = quorvane::load_table(db, quorvane::zip_table_spec(true));
  const double load = seconds_since(t0);
  t0 = Clock::now();
  const quorvane::ZipIndex index(*table);
  std::printf("2016 table: %zu rows read in %.3f s, index of %zu zip codes built in %.3f s\n",
              table->size(), load, index.size(), seconds_since(t0));
  if (centres) return bench_centres(*table, index, centres, miles);
  std::mt19937_64 rng(2016);
  bench_within(index, rng);
  bench_nearest(index, rng);
  bench_matrix(*table, index, rng);
}
