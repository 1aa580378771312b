#pragma once
// quorvane-cli within ZIP MILES: every zip code within a radius of a centre, nearest first.
#include <CLI/CLI.hpp>
#include <string>

#include "cli/common.h"

namespace quorvane::cli {

struct WithinSettings {
  Settings common;
  std::string zip;
  double radius = 0;  // in the units asked for
  std::string format = "lines";
};

CLI::App* add_within_command(CLI::App& app, WithinSettings& s);
int within(const WithinSettings& s);

}  // namespace quorvane::cli
