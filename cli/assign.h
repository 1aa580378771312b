#pragma once
// quorvane-cli assign CUSTOMERS --to STORES [--count K]: the nearest stores of each
// customer row, nearest first, every row of the customers' table kept.
#include <CLI/CLI.hpp>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "cli/common.h"
#include "engine/store_index.h"

namespace quorvane::cli {

struct AssignSettings {
  Settings common;
  std::string customers, stores;
  std::size_t count = 1;
  std::string from, lat, lon;
  std::string to_column = "1";
  std::string delimiter;
  bool no_header = false, strict = false;
  std::string format = "csv";
};

CLI::App* add_assign_command(CLI::App& app, AssignSettings& s);
int assign(const AssignSettings& s);

// The stores with a usable zip code, and what each carries into the output.
struct Stores {
  std::vector<ZipPlace> places;
  // The carried fields of store i, already written as CSV with the output's delimiter,
  // each led by it: carried[carried_end[i - 1] .. carried_end[i]).
  std::string carried;
  std::vector<std::size_t> carried_end;
  std::vector<std::string> carried_names;  // their header names
};

// Reads the store file; nothing, after one message, when it cannot be read, names a
// column it lacks, or holds no usable zip code. A store left out is said on standard
// error.
std::optional<Stores> read_stores(const AssignSettings& s, const ZipTable& table, char delimiter);

}  // namespace quorvane::cli
