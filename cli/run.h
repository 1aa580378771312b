#pragma once
// quorvane-cli run: the window's distance run over list files or standard input.
#include <CLI/CLI.hpp>
#include <optional>
#include <string>
#include <vector>

#include "cli/common.h"

namespace quorvane::cli {

struct RunSettings {
  Settings common;
  std::vector<std::string> files;
  std::string reference;  // empty: consecutive mode
  std::string format = "lines";
};

CLI::App* add_run_command(CLI::App& app, RunSettings& s);
int run(const RunSettings& s);

}  // namespace quorvane::cli
