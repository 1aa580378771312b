// Spatial queries over the shipped 2016 table: zip codes within 25 miles of random
// centres (queries per second and the median answer time, against a full scan), the
// nearest 10 to random points, and the distance matrix of 5,000 zip codes on every core
// and on one.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "distance_matrix.h"
#include "zip_index.h"

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

}  // namespace

int main(int argc, char** argv) {
  const char* db = argc > 1 ? argv[1] : QUORVANE_SHIPPED_DB;
  auto t0 = Clock::now();
  const auto table = quorvane::load_table(db, quorvane::zip_table_spec(true));
  const double load = seconds_since(t0);
  t0 = Clock::now();
  const quorvane::ZipIndex index(*table);
  std::printf("2016 table: %zu rows read in %.3f s, index of %zu zip codes built in %.3f s\n",
              table->size(), load, index.size(), seconds_since(t0));
  std::mt19937_64 rng(2016);
  bench_within(index, rng);
  bench_nearest(index, rng);
  bench_matrix(*table, index, rng);
}
