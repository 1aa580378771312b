// Comparisons per second of the engine's batch call, sentence lines included, on
// 1,000,000 random pairs of the 2012 table, 1,000,000 random pairs of the 2016 table and
// a consecutive run over the 2016 table, against opening, querying and closing the
// database for every lookup, the slowest way to answer, for scale.
//
// It first measures the engine against the floor (floor_loop.h), the least work that
// writes the same lines, in alternating rounds, and counts the lines that differ.
//
//   engine_bench [--db FILE] [--pairs FILE [--database 2012|2016]]
//                [--floor | --versus-floor [--rounds N]] [--no-baseline]
//
// With --pairs, the pairs are read from FILE (two zip codes a line, tab-separated) and
// one line "pairs_per_second N" is printed (the floor's with --floor), for side-by-side
// runs with other tools. --versus-floor measures only the engine against the floor.
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "bench/floor_loop.h"
#include "engine/distance.h"
#include "engine/text.h"
#include "engine/zip_distance.h"

namespace {

using Clock = std::chrono::steady_clock;
using quorvane::ZipPair;
using quorvane_bench::FloorLoop;

// Zip codes held in one contiguous block of text, pairs as views into it.
struct Workload {
  std::string text;
  std::vector<std::pair<std::size_t, std::size_t>> spans;  // offset, length
  std::vector<ZipPair> pairs;
  std::size_t add(std::string_view zip) {
    spans.emplace_back(text.size(), zip.size());
    text += zip;
    return spans.size() - 1;
  }
  void pair(std::size_t a, std::size_t b) { index_.emplace_back(a, b); }
  void seal() {
    auto view = [&](std::size_t i) {
      return std::string_view(text).substr(spans[i].first, spans[i].second);
    };
    for (auto [a, b] : index_) pairs.push_back({view(a), view(b)});
  }

 private:
  std::vector<std::pair<std::size_t, std::size_t>> index_;
};

std::vector<std::string> zip_codes(const char* db_path, const char* sql) {
  std::vector<std::string> zips;
  sqlite3* db = nullptr;
  sqlite3_open_v2(db_path, &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
  while (sqlite3_step(st) == SQLITE_ROW)
    zips.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
  sqlite3_finalize(st);
  sqlite3_close(db);
  return zips;
}

Workload random_pairs(const std::vector<std::string>& zips, std::size_t n, unsigned seed) {
  Workload w;
  for (const auto& z : zips) w.add(z);
  std::mt19937_64 rng(seed);
  std::uniform_int_distribution<std::size_t> pick(0, zips.size() - 1);
  for (std::size_t i = 0; i < n; ++i) w.pair(pick(rng), pick(rng));
  w.seal();
  return w;
}

Workload consecutive_pairs(const std::vector<std::string>& zips, std::size_t n) {
  Workload w;
  for (const auto& z : zips) w.add(z);
  for (std::size_t i = 0; i + 1 < n; ++i) w.pair(i % zips.size(), (i + 1) % zips.size());
  w.seal();
  return w;
}

Workload pairs_file(const char* path) {
  Workload w;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    const auto tab = line.find('\t');
    if (tab == std::string::npos) continue;
    const std::size_t a = w.add(std::string_view(line).substr(0, tab));
    const std::size_t b = w.add(std::string_view(line).substr(tab + 1));
    w.pair(a, b);
  }
  w.seal();
  return w;
}

// Runs `write` over the workload as a run does: blocks of pairs, lines appended to one
// buffer that is handed on (here: dropped) every block. Returns seconds.
template <class Write>
double timed(const Workload& w, std::size_t& bytes, Write&& write) {
  std::string out;
  out.reserve(1 << 20);
  constexpr std::size_t kBatch = 4096;
  const auto t0 = Clock::now();
  for (std::size_t i = 0; i < w.pairs.size(); i += kBatch) {
    const std::size_t n = std::min(kBatch, w.pairs.size() - i);
    out.clear();
    write(std::span(w.pairs).subspan(i, n), out);
    bytes += out.size();
  }
  return std::chrono::duration<double>(Clock::now() - t0).count();
}

// The engine's batch call, sentence lines ending in '\n'.
double timed_run(quorvane::ZipDistance& engine, const Workload& w, bool use2016,
                 std::size_t& bytes) {
  quorvane::CompareOptions options;
  options.use2016 = use2016;
  quorvane::ZipDistance::Batch batch(engine);
  return timed(w, bytes, [&](std::span<const ZipPair> pairs, std::string& out) {
    engine.compare(pairs, options, {}, quorvane::LineOutput{&out, '\n', nullptr});
  });
}

double timed_floor(const FloorLoop& floor, const Workload& w, std::size_t& bytes) {
  return timed(w, bytes,
               [&](std::span<const ZipPair> pairs, std::string& out) { floor.write(pairs, out); });
}

double best_of(quorvane::ZipDistance& engine, const Workload& w, bool use2016, int rounds) {
  std::size_t bytes = 0;
  timed_run(engine, w, use2016, bytes);  // warm-up: tables loaded, caches filled
  double best = 1e9;
  for (int r = 0; r < rounds; ++r) best = std::min(best, timed_run(engine, w, use2016, bytes));
  return best;
}

// Lines of the engine and the floor for the whole workload that differ.
std::size_t differing_lines(quorvane::ZipDistance& engine, const FloorLoop& floor,
                            const Workload& w, bool use2016) {
  std::string mine, theirs;
  quorvane::CompareOptions options;
  options.use2016 = use2016;
  engine.compare(w.pairs, options, {}, quorvane::LineOutput{&mine, '\n', nullptr});
  floor.write(w.pairs, theirs);
  return quorvane_bench::differing_lines(mine, theirs);
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// The engine and the floor in alternating rounds after a warm-up of each; medians.
void against_floor(quorvane::ZipDistance& engine, const Workload& w, bool use2016, int rounds) {
  const FloorLoop floor(*engine.store().table(use2016));
  std::size_t bytes = 0;
  timed_run(engine, w, use2016, bytes);
  timed_floor(floor, w, bytes);
  std::vector<double> e, f;
  for (int r = 0; r < rounds; ++r) {
    e.push_back(timed_run(engine, w, use2016, bytes));
    f.push_back(timed_floor(floor, w, bytes));
  }
  const double n = static_cast<double>(w.pairs.size());
  const double engine_rate = n / median(e), floor_rate = n / median(f);
  std::printf("engine %.0f pairs/s, floor %.0f pairs/s, engine/floor %.3f (median of %d)\n",
              engine_rate, floor_rate, engine_rate / floor_rate, rounds);
  std::printf("lines that differ from the floor's: %zu\n",
              differing_lines(engine, floor, w, use2016));
}

// One lookup with nothing kept between lookups: open, query, close.
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

double baseline_rate(const char* db, const std::vector<std::string>& zips, std::size_t n) {
  std::mt19937_64 rng(7);
  std::uniform_int_distribution<std::size_t> pick(0, zips.size() - 1);
  std::size_t bytes = 0;
  const auto t0 = Clock::now();
  for (std::size_t i = 0; i < n; ++i) {
    const std::string& a = zips[pick(rng)];
    const std::string& b = zips[pick(rng)];
    double lat1 = 0, lon1 = 0, lat2 = 0, lon2 = 0;
    std::string text;
    if (a == b)
      text = "Distance between " + a + " and " + b + " is 0 miles";
    else if (!query_point(db, a, lat1, lon1))
      text = "No details found for zip code: " + a;
    else if (!query_point(db, b, lat2, lon2))
      text = "No details found for zip code: " + b;
    else
      text = "Distance between " + a + " and " + b + " is " +
             quorvane::distance_text(quorvane::distance_miles(lat1, lat2, lon1, lon2), ".") +
             " miles";
    bytes += text.size();
  }
  return static_cast<double>(n) / std::chrono::duration<double>(Clock::now() - t0).count();
}

void print_rate(const char* what, std::size_t pairs, double seconds) {
  std::printf("%-34s %9zu pairs in %.3f s = %6.2f million/s (%.0f ns each)\n", what, pairs, seconds,
              static_cast<double>(pairs) / seconds / 1e6, seconds * 1e9 / pairs);
}

}  // namespace

int main(int argc, char** argv) {
  const char* db = QUORVANE_SHIPPED_DB;
  const char* pairs_path = nullptr;
  bool use2016_for_file = false, baseline = true, floor_only = false, versus_only = false;
  int rounds = 5;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--db" && i + 1 < argc)
      db = argv[++i];
    else if (a == "--pairs" && i + 1 < argc)
      pairs_path = argv[++i];
    else if (a == "--database" && i + 1 < argc)
      use2016_for_file = std::strcmp(argv[++i], "2016") == 0;
    else if (a == "--no-baseline")
      baseline = false;
    else if (a == "--floor")
      floor_only = true;
    else if (a == "--versus-floor")
      versus_only = true;
    else if (a == "--rounds" && i + 1 < argc)
      rounds = std::max(1, std::atoi(argv[++i]));
    else {
      std::fprintf(stderr,
                   "usage: engine_bench [--db FILE] [--pairs FILE [--database 2012|2016]] "
                   "[--floor | --versus-floor [--rounds N]] [--no-baseline]\n");
      return 2;
    }
  }
  quorvane::ZipDistance engine(db);
  if (pairs_path) {
    const Workload w = pairs_file(pairs_path);
    if (w.pairs.empty()) {
      std::fprintf(stderr, "engine_bench: no pairs in %s\n", pairs_path);
      return 2;
    }
    if (versus_only) {
      against_floor(engine, w, use2016_for_file, rounds);
      return 0;
    }
    double s = 0;
    if (floor_only) {
      const FloorLoop floor(*engine.store().table(use2016_for_file));
      std::size_t bytes = 0;
      timed_floor(floor, w, bytes);  // warm-up
      s = timed_floor(floor, w, bytes);
    } else {
      s = best_of(engine, w, use2016_for_file, 1);
    }
    std::printf("pairs_per_second %.0f\n", static_cast<double>(w.pairs.size()) / s);
    return 0;
  }

  const auto zips2012 = zip_codes(db, "SELECT printf('%05d', zip_code) FROM zip_code");
  const auto zips2016 = zip_codes(db, "SELECT zip_code FROM zip_code2016 ORDER BY zip_code");
  const std::size_t n = 1000000;
  const Workload r2012 = random_pairs(zips2012, n, 2012);
  std::printf("random pairs, 2012 table, against the floor loop, rounds alternating:\n");
  against_floor(engine, r2012, false, rounds);
  if (versus_only) return 0;
  const Workload r2016 = random_pairs(zips2016, n, 2016);
  const Workload c2016 = consecutive_pairs(zips2016, n + 1);
  std::printf("sentence lines, best of 3 after a warm-up pass:\n");
  print_rate("random pairs, 2012 table", n, best_of(engine, r2012, false, 3));
  print_rate("random pairs, 2016 table", n, best_of(engine, r2016, true, 3));
  print_rate("consecutive run, 2016 table", n, best_of(engine, c2016, true, 3));
  if (baseline) {
    const std::size_t m = 20000;
    const double rate = baseline_rate(db, zips2012, m);
    std::printf("%-34s %9zu pairs: %.0f /s (%.1f us each)\n", "open-query-close per lookup", m,
                rate, 1e6 / rate);
  }
  return 0;
}
