// quorvane-cli: the distance engine for scripts, pipelines and batch jobs.
#include <CLI/CLI.hpp>
#include <iostream>
#include <sstream>

#include "common.h"
#include "distance.h"
#include "error_trap.h"
#include "info.h"
#include "output.h"
#include "run.h"

namespace {

using namespace quorvane::cli;

constexpr const char* kFooter =
    "Results go to standard output, messages to standard error. Exit status: 0 every "
    "comparison had a distance, 1 some had none, 2 a usage error, an unreadable database "
    "or input, or a failure to write the results. See quorvane-cli(1).";

// Help and version texts go through the same checked writes as results.
int print_help(CLI::App& app, const CLI::ParseError& e) {
  std::ostringstream text, errors;
  const int code = app.exit(e, text, errors);
  write_now(text.str());
  std::cerr << errors.str();
  return code == 0 ? kAllDistances : kError;
}

}  // namespace

int main(int argc, char** argv) {
  keep_standard_descriptors();
  const Separators separators = take_locale_separators();
  report_traps();

  CLI::App app("Distances between US zip codes, for scripts and batch work.", "quorvane-cli");
  app.set_version_flag("--version", std::string("quorvane-cli ") + QUORVANE_VERSION);
  app.require_subcommand(1);
  app.footer(kFooter);
  RunSettings run_settings;
  DistanceSettings distance_settings;
  Settings info_settings;
  CLI::App* run_cmd = add_run_command(app, run_settings);
  CLI::App* distance_cmd = add_distance_command(app, distance_settings);
  CLI::App* info_cmd = add_info_command(app, info_settings);
  try {
    try {
      app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
      return print_help(app, e);
    }
    if (run_cmd->parsed()) {
      run_settings.common.separators = separators;
      return run(run_settings);
    }
    if (distance_cmd->parsed()) {
      distance_settings.common.separators = separators;
      return distance(distance_settings);
    }
    if (info_cmd->parsed()) return info(info_settings);
  } catch (const OutputFailed&) {
    return kError;
  } catch (const std::exception& e) {
    report(e.what());
    return kError;
  }
  return kError;
}
