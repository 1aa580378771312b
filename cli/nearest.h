#pragma once
// quorvane-cli nearest LAT LON: the zip codes nearest to a point, nearest first.
#include <CLI/CLI.hpp>
#include <cstddef>
#include <string>

#include "cli/common.h"

namespace quorvane::cli {

struct NearestSettings {
  Settings common;
  double lat = 0, lon = 0;
  std::size_t count = 10;
  std::string format = "lines";
  std::string points;  // a table of points ("-": standard input)
  std::string lat_column = "1", lon_column = "2";
};

CLI::App* add_nearest_command(CLI::App& app, NearestSettings& s);
int nearest(const NearestSettings& s);
// Every point of s.points in one process: lines and csv gain the point as it is written
// there as their first fields.
int nearest_points(const NearestSettings& s);

}  // namespace quorvane::cli
