#pragma once
// quorvane-cli augment FILE: a CSV or TSV table written back row by row with the distance
// between two of its zip code columns (or one column and a fixed zip code).
#include <CLI/CLI.hpp>
#include <string>

#include "cli/common.h"

namespace quorvane::cli {

struct AugmentSettings {
  Settings common;
  std::string file;  // "-": standard input
  std::string from, to, to_zip;
  bool no_header = false;
  std::string delimiter;  // empty: taken from the first line
  std::string format = "csv";
  bool strict = false;
};

CLI::App* add_augment_command(CLI::App& app, AugmentSettings& s);
int augment(const AugmentSettings& s);

}  // namespace quorvane::cli
