#pragma once
// quorvane-cli info: the database file and its tables.
#include <CLI/CLI.hpp>

#include "cli/common.h"

namespace quorvane::cli {

CLI::App* add_info_command(CLI::App& app, Settings& s);
int info(const Settings& s);

}  // namespace quorvane::cli
