#pragma once
// A command line people guess right: the shared options may stand before the command,
// a misspelt command or option is answered with the nearest name, and help is wrapped
// to the terminal's width.
#include <CLI/CLI.hpp>
#include <optional>
#include <string>
#include <vector>

namespace quorvane::cli {

// The options every command that reads the database shares, with their short forms;
// they may stand before the command as well as after it.
struct SharedOption {
  const char* name;
  const char* short_name;  // "" when there is none
};
inline constexpr SharedOption kSharedOptions[] = {
    {"--db", ""}, {"--database", "-d"}, {"--format", "-f"}, {"--units", "-u"}, {"--method", ""}};

// Registers the shared options on the program itself, for its help and completions; what
// they are given there reaches the command through move_shared_options().
void add_shared_options(CLI::App& app);

// The arguments (without the program's name) with shared options that stand before the
// command moved to just after it, where the command's own definitions read them.
std::vector<std::string> move_shared_options(std::vector<std::string> args, const CLI::App& app);

// One message for a misspelt command or option ("did you mean"), or nothing when the
// arguments hold none that a near name explains.
std::optional<std::string> misspelling(const std::vector<std::string>& args, const CLI::App& app);

// The width of the terminal standard output goes to; COLUMNS when it goes elsewhere;
// 0 (no wrapping) when neither tells.
std::size_t terminal_width();

// Help text wrapped to `width` (unchanged for 0): a long description continues under its
// own column.
std::string wrap_help(const std::string& text, std::size_t width);

}  // namespace quorvane::cli
