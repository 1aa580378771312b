#pragma once
// A zip code given on the command line, read as augment reads a cell (see
// engine/zip_clean.h): 02134-1234, '02134 and 2134 are 02134. Text that does not read as
// a zip code is left as it is, for the command to answer as it always has.
#include <string>

#include "engine/zip_clean.h"

namespace quorvane::cli {

inline std::string zip_argument(const std::string& text) {
  const CleanZip z = clean_zip(text);
  return z.ok() ? std::string(z.zip()) : text;
}

}  // namespace quorvane::cli
