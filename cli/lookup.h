#pragma once
// quorvane-cli lookup and find: the places of zip codes, and the zip codes of a place.
#include <CLI/CLI.hpp>
#include <string>
#include <vector>

#include "cli/common.h"

namespace quorvane::cli {

struct LookupSettings {
  Settings common;
  std::vector<std::string> zips;   // "-" reads standard input
  std::vector<std::string> files;  // --file
  std::string format = "lines";
};

struct FindSettings {
  Settings common;
  std::string place;
  std::string state;
  std::string county;
  std::string format = "lines";
};

CLI::App* add_lookup_command(CLI::App& app, LookupSettings& s);
int lookup(const LookupSettings& s);
CLI::App* add_find_command(CLI::App& app, FindSettings& s);
int find(const FindSettings& s);

}  // namespace quorvane::cli
