// quorvane-cli: the distance engine for scripts, pipelines and batch jobs.
#include <CLI/CLI.hpp>
#include <functional>
#include <sstream>
#include <utility>

#include "cli/augment.h"
#include "cli/common.h"
#include "cli/distance.h"
#include "cli/info.h"
#include "cli/matrix.h"
#include "cli/nearest.h"
#include "cli/output.h"
#include "cli/run.h"
#include "cli/tables.h"
#include "cli/within.h"
#include "engine/error_trap.h"

namespace {

using namespace quorvane::cli;

constexpr const char* kFooter =
    "Results go to standard output, messages to standard error. Exit status: 0 every "
    "answer had a distance, 1 some had none, 2 a usage error, an unreadable database "
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
  WithinSettings within_settings;
  NearestSettings nearest_settings;
  MatrixSettings matrix_settings;
  TablesSettings tables_settings;
  Settings info_settings;
  AugmentSettings augment_settings;
  for (Settings* s : {&run_settings.common, &distance_settings.common, &within_settings.common,
                      &nearest_settings.common, &matrix_settings.common, &tables_settings.common})
    s->separators = separators;
  const std::pair<CLI::App*, std::function<int()>> commands[] = {
      {add_run_command(app, run_settings), [&] { return run(run_settings); }},
      {add_distance_command(app, distance_settings), [&] { return distance(distance_settings); }},
      {add_within_command(app, within_settings), [&] { return within(within_settings); }},
      {add_nearest_command(app, nearest_settings), [&] { return nearest(nearest_settings); }},
      {add_matrix_command(app, matrix_settings), [&] { return matrix(matrix_settings); }},
      {add_tables_command(app, tables_settings), [&] { return tables(tables_settings); }},
      {add_info_command(app, info_settings), [&] { return info(info_settings); }},
      {add_augment_command(app, augment_settings), [&] { return augment(augment_settings); }},
  };
  try {
    try {
      app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
      return parse_failed(app, e);
    }
    for (const auto& [command, action] : commands)
      if (command->parsed()) return action();
    report(
        "A command is needed: run, distance, within, nearest, matrix, tables or info "
        "(quorvane-cli --help tells more)");
    return kError;
  } catch (const OutputFailed&) {
    return kError;
  } catch (const std::exception& e) {
    report(e.what());
    return kError;
  }
}
