#include "cli/common.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "engine/error_trap.h"
#include "engine/ordered_blocks.h"

namespace quorvane::cli {
namespace {

std::filesystem::path program_folder() {
  std::error_code ec;
  auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::current_path() : exe.parent_path();
}

constexpr const char* kGeodesicNote =
    "How the distance is measured: sphere, the window's formula (the default), or "
    "geodesic, the distance on the WGS-84 ellipsoid by Karney's algorithm "
    "(GeographicLib), which differs from the sphere's by up to about 0.5% "
    "(-0.30% to +0.38% on US pairs).";

}  // namespace

CompareOptions Settings::compare() const {
  CompareOptions o;
  o.wording = static_cast<Wording>(wording);
  o.use2016 = database == "2016";
  o.method = method == "geodesic" ? Method::Geodesic : Method::Sphere;
  o.units = units == "km" ? Units::Kilometres : Units::Miles;
  return o;
}

std::string Settings::database_path() const {
  return db.empty() ? (program_folder() / "dbZips.mdb").string() : db;
}

void add_database_options(CLI::App& command, Settings& s) {
  command
      .add_option("--db", s.db,
                  "The zip code database file (default: dbZips.mdb beside the program)")
      ->envname("QUORVANE_DB")
      ->type_name("PATH");
}

void add_measure_options(CLI::App& command, Settings& s) {
  command.add_option("--method", s.method, kGeodesicNote)
      ->check(CLI::IsMember({"sphere", "geodesic"}));
  command.add_option("-u,--units", s.units, "Statute miles (mi, the default) or kilometres (km)")
      ->check(CLI::IsMember({"mi", "km"}));
}

void add_format_option(CLI::App& command, std::string& format, const std::string& lines,
                       const std::string& csv) {
  command
      .add_option("-f,--format", format,
                  "lines: " + lines + " (the default); csv: " + csv + ", RFC 4180 (CR LF)")
      ->check(CLI::IsMember({"lines", "csv"}));
}

CLI::Validator number_from_to(double low, double high, const std::string& what) {
  return CLI::Validator(
      [=](std::string& text) -> std::string {
        double v = 0;
        if (CLI::detail::lexical_cast(text, v) && std::isfinite(v) && v >= low && v <= high)
          return {};
        return "Must be a finite number " + what + ".";
      },
      "", "");
}

CLI::Validator count_at_least_one() {
  return CLI::Validator(
      [](std::string& text) -> std::string {
        std::size_t v = 0;
        const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
        if (r.ec == std::errc() && r.ptr == text.data() + text.size() && v >= 1) return {};
        return "Must be a whole number of at least 1.";
      },
      "", "");
}

void add_threads_option(CLI::App& command, Settings& s) {
  command
      .add_option("--threads", s.threads,
                  "Threads that compare a large input, its output the same whatever their "
                  "number (default: one per core, " +
                      std::to_string(default_threads()) + " here)")
      ->type_name("N")
      ->check(CLI::Validator(
          [](std::string& text) -> std::string {
            unsigned v = 0;
            const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
            if (r.ec == std::errc() && r.ptr == text.data() + text.size() && v >= 1 &&
                v <= kMostThreads)
              return {};
            return "Must be a whole number from 1 to " + std::to_string(kMostThreads) + ".";
          },
          "", ""));
}

void add_compare_options(CLI::App& command, Settings& s, bool worded) {
  add_database_options(command, s);
  command.add_option("-d,--database", s.database, "The table: 2016 (default) or 2012")
      ->check(CLI::IsMember({"2016", "2012"}));
  add_measure_options(command, s);
  if (worded)
    command
        .add_option("--wording", s.wording,
                    "How a result line reads: sentence (3, the default), zips (4: zip codes "
                    "and distance) or distance (5: the distance alone)")
        ->transform(CLI::CheckedTransformer(
                        std::map<std::string, int>{{"sentence", 3}, {"zips", 4}, {"distance", 5}})
                        .description(""))
        ->type_name("TEXT:{sentence,zips,distance}");
}

Separators take_locale_separators() {
  Separators s;
  // Only the number category is read: loading the others costs a start-up its time.
  if (std::setlocale(LC_NUMERIC, "")) {
    const std::lconv* c = std::localeconv();
    if (c->decimal_point && *c->decimal_point) s.decimal = c->decimal_point;
    if (c->thousands_sep && *c->thousands_sep)
      s.group = c->thousands_sep;
    else
      s.group = s.decimal == "," ? "." : ",";
  }
  std::setlocale(LC_NUMERIC, "C");
  return s;
}

void report(std::string_view message) {
  std::string line = "quorvane-cli: ";
  for (char c : message) line += c == '\r' || c == '\n' ? ' ' : c;
  line += '\n';
  std::fwrite(line.data(), 1, line.size(), stderr);
}

void report_traps() {
  set_trap_reporter([](const TrapReport& r) {
    report(r.description + " (in " + r.location + " at statement " + std::to_string(r.line) + ")");
  });
}

}  // namespace quorvane::cli
