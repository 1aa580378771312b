#pragma once
// What the commands share: exit statuses, the database, the options of a comparison,
// the user's number separators, and messages on standard error.
#include <CLI/CLI.hpp>
#include <string>
#include <string_view>

#include "engine/zip_distance.h"

namespace quorvane::cli {

enum Exit : int { kAllDistances = 0, kSomeWithout = 1, kError = 2 };

struct Separators {
  std::string decimal = ".";
  std::string group = ",";
};

struct Settings {
  std::string db;  // --db or QUORVANE_DB; empty: dbZips.mdb beside the program
  std::string database = "2016";
  std::string method = "sphere";
  std::string units = "mi";
  int wording = 3;
  Separators separators;
  bool places = false;   // --places: each zip code's place in the output
  unsigned threads = 0;  // --threads; 0: one per core

  CompareOptions compare() const;
  std::string database_path() const;
};

// --db (and QUORVANE_DB), then --database, --method and --units; --wording when `worded`.
void add_database_options(CLI::App& command, Settings& s);
void add_compare_options(CLI::App& command, Settings& s, bool worded);
// --method and --units alone, for a command that reads both tables.
void add_measure_options(CLI::App& command, Settings& s);
// --threads N: how many threads compare a large input (one per core unless given).
void add_threads_option(CLI::App& command, Settings& s);
// --format lines|csv, each described.
void add_format_option(CLI::App& command, std::string& format, const std::string& lines,
                       const std::string& csv);

// Accepts a finite number from `low` to `high`, both included; `what` names the range
// in the message ("at least 0").
CLI::Validator number_from_to(double low, double high, const std::string& what);
// Accepts a count: decimal digits, at least 1.
CLI::Validator count_at_least_one();

// The separators of the user's locale, as the window reads them; numbers inside the
// program are then read and written the C way whatever the locale.
Separators take_locale_separators();

// One line on standard error, prefixed with the program's name; line ends inside the
// text become spaces so that one message is one line.
void report(std::string_view message);
// Error-trap reports go to standard error, one line each.
void report_traps();

}  // namespace quorvane::cli
