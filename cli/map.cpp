#include "cli/map.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "cli/common.h"

namespace quorvane::cli {

CLI::App* add_map_command(CLI::App& app) {
  CLI::App* cmd = app.add_subcommand(
      "map",
      "Draws a map as SVG or PNG: a list's zip codes and legs, --within ZIP MILES, --assign "
      "CUSTOMERS --to STORES, or --all (quorvane-cli map --help tells more).");
  // Everything after the word is quorvane-map's, --help included.
  cmd->prefix_command();
  cmd->set_help_flag();
  cmd->allow_extras();
  return cmd;
}

int map(const CLI::App& command) {
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  const std::string program =
      ((ec ? std::filesystem::current_path() : exe.parent_path()) / "quorvane-map").string();
  std::vector<std::string> args = command.remaining();
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::fflush(stdout);
  ::execv(program.c_str(), argv.data());
  report("map: cannot start " + program + ": " + std::strerror(errno));
  return kError;
}

}  // namespace quorvane::cli
