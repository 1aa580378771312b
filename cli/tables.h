#pragma once
// quorvane-cli tables --differ MILES: a cross-check of the 2012 and 2016 tables.
#include <CLI/CLI.hpp>
#include <string>

#include "cli/common.h"

namespace quorvane::cli {

struct TablesSettings {
  Settings common;
  double differ = 0;  // in the units asked for
  std::string format = "lines";
};

CLI::App* add_tables_command(CLI::App& app, TablesSettings& s);
int tables(const TablesSettings& s);

}  // namespace quorvane::cli
