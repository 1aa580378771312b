// quorvane-cli: the distance engine for scripts, pipelines and batch jobs.
#include <CLI/CLI.hpp>
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

// Help and version texts go through the same checked writes as results; a usage error
// is one line on standard error.
int parse_failed(CLI::App& app, const CLI::ParseError& e) {
  if (e.get_exit_code() != 0) {
    report(std::string(e.what()) + " (quorvane-cli --help tells more)");
    return kError;
  }
  std::ostringstream text, errors;
  app.exit(e, text, errors);
  write_now(text.str());
  return kAllDistances;
}

}  // namespace

int main(int argc, char** argv) {
  keep_standard_descriptors();
  const Separators separators = take_locale_separators();
  report_traps();

  CLI::App app("Distances between US zip codes, for scripts and batch work.", "quorvane-cli");
  app.set_version_flag("--version", std::string("quorvane-cli ") + QUORVANE_VERSION);
  app.require_subcommand(0, 1);
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
      return parse_failed(app, e);
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
    report("A command is needed: run, distance or info (quorvane-cli --help tells more)");
    return kError;
  } catch (const OutputFailed&) {
    return kError;
  } catch (const std::exception& e) {
    report(e.what());
    return kError;
  }
}
