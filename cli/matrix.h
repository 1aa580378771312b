#pragma once
// quorvane-cli matrix: the distances between every two entries of a list, as a CSV matrix.
#include <CLI/CLI.hpp>
#include <cstddef>
#include <string>
#include <vector>

#include "cli/common.h"

namespace quorvane::cli {

// The matrix of this many rows has 400 million cells, some 3 GB of text: past it a list
// is refused rather than written for hours.
inline constexpr std::size_t kMaxMatrixRows = 20000;

struct MatrixSettings {
  Settings common;
  std::vector<std::string> files;
};

CLI::App* add_matrix_command(CLI::App& app, MatrixSettings& s);
int matrix(const MatrixSettings& s);

}  // namespace quorvane::cli
