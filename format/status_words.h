#pragma once
// The words that name why a comparison has no distance, in a status column or field:
// the same in every output of the command line and the Python module.
#include <string_view>

#include "engine/zip_distance.h"

namespace quorvane {

// Empty for a distance, otherwise a lower-case word such as "not-in-table".
std::string_view status_word(PairStatus status);

}  // namespace quorvane
