#pragma once
// quorvane-cli map: runs quorvane-map, found beside this program, with the command's
// arguments; the drawing needs Qt, which the command line itself never loads.
#include <CLI/CLI.hpp>

namespace quorvane::cli {

CLI::App* add_map_command(CLI::App& app);
// Does not return when quorvane-map starts; otherwise reports why and gives kError.
int map(const CLI::App& command);

}  // namespace quorvane::cli
