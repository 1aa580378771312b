#include "cli/places.h"

#include "cli/common.h"

namespace quorvane::cli {

void add_places_flag(CLI::App& command, bool& flag) {
  command.add_flag("--places", flag,
                   "Adds each zip code's place, state and kind of point (zcta, postal or "
                   "shared:N, a point shared with N other zip codes): three columns per zip code "
                   "in csv, \" (Place, ST)\" after it in lines");
}

std::unique_ptr<PlaceTable> read_places(const std::string& db, const char* needed_by,
                                        const std::function<std::unique_ptr<PlaceTable>()>& load) {
  try {
    return load ? load() : PlaceTable::load(db);
  } catch (const std::exception& e) {
    report("Cannot read the places of the zip code database " + db + ": " + e.what() + " (" +
           needed_by + " needs the places table that the database shipped with quorvane-cli has)");
    return nullptr;
  }
}

}  // namespace quorvane::cli
