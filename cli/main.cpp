// quorvane-cli: the distance engine for scripts, pipelines and batch jobs.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <functional>
#include <sstream>
#include <utility>
#include <vector>

#include "cli/assign.h"
#include "cli/augment.h"
#include "cli/command_line.h"
#include "cli/common.h"
#include "cli/completions.h"
#include "cli/distance.h"
#include "cli/info.h"
#include "cli/lookup.h"
#include "cli/map.h"
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
    "Results go to standard output, messages to standard error. Each command's --help "
    "tells what its exit status means. See quorvane-cli(1).";
constexpr const char* kDistancesFooter =
    "Results go to standard output, messages to standard error. Exit status: 0 every "
    "answer had a distance, 1 some had none, 2 a usage error, an unreadable database "
    "or input, or a failure to write the results. See quorvane-cli(1).";
constexpr const char* kDoneFooter =
    "Results go to standard output, messages to standard error. Exit status: 0 done, "
    "2 a usage error, an unreadable database, or a failure to write the results. See "
    "quorvane-cli(1).";

// Help and version texts go through the same checked writes as results; a usage error
// is one line on standard error.
int parse_failed(CLI::App& app, const CLI::ParseError& e, const std::vector<std::string>& args) {
  if (e.get_exit_code() != 0) {
    const auto guess = misspelling(args, app);
    report((guess ? *guess : std::string(e.what())) + " (quorvane-cli --help tells more)");
    return kError;
  }
  std::ostringstream text, errors;
  app.exit(e, text, errors);
  write_now(wrap_help(text.str(), terminal_width()));
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
  add_shared_options(app);
  RunSettings run_settings;
  DistanceSettings distance_settings;
  WithinSettings within_settings;
  NearestSettings nearest_settings;
  MatrixSettings matrix_settings;
  TablesSettings tables_settings;
  Settings info_settings;
  LookupSettings lookup_settings;
  FindSettings find_settings;
  AugmentSettings augment_settings;
  AssignSettings assign_settings;
  CompletionsSettings completions_settings;
  for (Settings* s : {&run_settings.common, &distance_settings.common, &within_settings.common,
                      &nearest_settings.common, &matrix_settings.common, &tables_settings.common,
                      &assign_settings.common, &augment_settings.common})
    s->separators = separators;
  CLI::App* map_command = nullptr;
  const std::pair<CLI::App*, std::function<int()>> commands[] = {
      {add_run_command(app, run_settings), [&] { return run(run_settings); }},
      {add_distance_command(app, distance_settings), [&] { return distance(distance_settings); }},
      {add_within_command(app, within_settings), [&] { return within(within_settings); }},
      {add_nearest_command(app, nearest_settings), [&] { return nearest(nearest_settings); }},
      {add_matrix_command(app, matrix_settings), [&] { return matrix(matrix_settings); }},
      {add_tables_command(app, tables_settings), [&] { return tables(tables_settings); }},
      {add_info_command(app, info_settings), [&] { return info(info_settings); }},
      {add_lookup_command(app, lookup_settings), [&] { return lookup(lookup_settings); }},
      {add_find_command(app, find_settings), [&] { return find(find_settings); }},
      {add_augment_command(app, augment_settings), [&] { return augment(augment_settings); }},
      {add_assign_command(app, assign_settings), [&] { return assign(assign_settings); }},
      {add_completions_command(app, completions_settings),
       [&] { return completions(app, completions_settings); }},
      // Registered last, so that the commands are listed in their usual order.
      {map_command = add_map_command(app), [&] { return map(*map_command); }},
  };
  for (const auto& [command, action] : commands) {
    const std::string& name = command->get_name();
    command->footer(name == "nearest" || name == "tables" || name == "info" ? kDoneFooter
                                                                            : kDistancesFooter);
  }
  std::vector<std::string> args(argv + std::min(argc, 1), argv + argc);
  args = move_shared_options(std::move(args), app);
  try {
    try {
      std::vector<std::string> reversed(args.rbegin(), args.rend());
      app.parse(reversed);
    } catch (const CLI::ParseError& e) {
      return parse_failed(app, e, args);
    }
    for (const auto& [command, action] : commands)
      if (command->parsed()) return action();
    std::string names;  // the commands --help lists, in its order
    std::vector<std::string> listed;
    for (const auto& [command, action] : commands)
      if (!command->get_group().empty()) listed.push_back(command->get_name());
    for (std::size_t i = 0; i < listed.size(); ++i)
      names += (i == 0 ? "" : i + 1 == listed.size() ? " or " : ", ") + listed[i];
    report("A command is needed: " + names + " (quorvane-cli --help tells more)");
    return kError;
  } catch (const OutputFailed&) {
    return kError;
  } catch (const std::exception& e) {
    report(e.what());
    return kError;
  }
}
