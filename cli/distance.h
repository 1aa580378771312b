#pragma once
// quorvane-cli distance ZIP1 ZIP2: one comparison, answered from the two rows it needs.
#include <CLI/CLI.hpp>
#include <string>

#include "cli/common.h"

namespace quorvane::cli {

struct DistanceSettings {
  Settings common;
  std::string zip1, zip2;
};

CLI::App* add_distance_command(CLI::App& app, DistanceSettings& s);
int distance(const DistanceSettings& s);

}  // namespace quorvane::cli
