#pragma once
// What the SQL functions answer, apart from SQLite's calling conventions: one engine per
// connection, over one database file.
#include <chrono>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "engine/zip_distance.h"

namespace quorvane::sqlite {

// The database cannot be read; the text is the command line's message.
class DatabaseError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The folder this extension was loaded from: the program folder.
std::string extension_folder();

class Zips {
 public:
  explicit Zips(std::string path);

  // The number the command line prints for the pair (cleaned as it cleans zip codes);
  // nothing when the pair has no distance. Throws DatabaseError.
  std::optional<double> distance(std::string_view a, std::string_view b,
                                 const CompareOptions& options);
  // The zip code's latitude or longitude, when it has a usable position.
  std::optional<double> coordinate(std::string_view zip, bool use2016, bool latitude);

 private:
  void check(bool use2016);

  ZipDistance engine_;
  // Lookups are grouped into batches of at most a second, so that the file is checked
  // for changes once a second rather than at every row.
  std::optional<ZipDistance::Batch> batch_;
  std::chrono::steady_clock::time_point batch_start_;
};

}  // namespace quorvane::sqlite
