#pragma once
// The state outlines and county borders quorvane-map draws, read from us_outlines.bin
// (made by tools/convert-mapdata.js from us-atlas), in Albers USA map units.
#include <string>
#include <vector>

#include "engine/albers_usa.h"

namespace quorvane::map {

struct StateOutline {
  std::string fips, name;
  std::vector<std::vector<MapXY>> rings;  // outer rings and holes, each closing itself
};

struct Outlines {
  std::vector<StateOutline> states;
  std::vector<std::vector<MapXY>> county_borders;  // lines between counties of a state
};

// Throws std::runtime_error naming the file and what is wrong with it.
Outlines read_outlines(const std::string& path);

// The outlines' file beside the program.
std::string outlines_path();

// True when the point lies inside the state (even-odd rule over all its rings).
bool inside(const StateOutline& state, MapXY p);

}  // namespace quorvane::map
