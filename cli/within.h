#pragma once
// quorvane-cli within ZIP MILES: every zip code within a radius of a centre, nearest first;
// within --centres FILE MILES: the same for every centre of a list or a column.
#include <CLI/CLI.hpp>
#include <string>

#include "cli/common.h"

namespace quorvane::cli {

struct WithinSettings {
  Settings common;
  std::string zip;
  double radius = 0;  // in the units asked for
  std::string format = "lines";
  std::string centres;  // a list or table of centres ("-": standard input)
  std::string column;   // the centres' column: a header name or a number (default 1)
  bool strict = false;
};

CLI::App* add_within_command(CLI::App& app, WithinSettings& s);
int within(const WithinSettings& s);
// Every centre of s.centres in one process: lines and csv gain the centre as it is
// written there as their first field.
int within_centres(const WithinSettings& s);

}  // namespace quorvane::cli
