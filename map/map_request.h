#pragma once
// What quorvane-cli map is asked to draw, and the scene it makes of it from the table.
#include <string>
#include <vector>

#include "cli/assign.h"
#include "cli/common.h"
#include "map/scene.h"

namespace quorvane::map {

struct MapSettings {
  cli::Settings common;
  std::vector<std::string> files;   // a list, read as run reads it
  std::string reference;            // empty: consecutive
  std::vector<std::string> within;  // ZIP MILES
  bool all = false;                 // every zip code of the table
  // --assign CUSTOMERS --to STORES, read as assign reads them (customers empty: not
  // asked): customers coloured by their nearest store, with spokes.
  cli::AssignSettings assign;
  std::string output;
  int width = 1200, height = 760;
};

// Fills the scene from the table: returns cli::kAllDistances, cli::kSomeWithout (some
// zip codes have no position; the scene notes them) or cli::kError after a message.
int make_scene(ZipDistance& engine, const MapSettings& s, Scene& scene);

}  // namespace quorvane::map
