#pragma once
// quorvane-cli completions bash|zsh: completion scripts for the shells, written from the
// program's own definitions of its commands and options, so they never fall behind.
#include <CLI/CLI.hpp>
#include <string>

namespace quorvane::cli {

struct CompletionsSettings {
  std::string shell;
};

// A command left out of the help's list; the package installs its output.
CLI::App* add_completions_command(CLI::App& app, CompletionsSettings& s);
int completions(const CLI::App& app, const CompletionsSettings& s);

// The scripts themselves.
std::string bash_completion(const CLI::App& app);
std::string zsh_completion(const CLI::App& app);

}  // namespace quorvane::cli
