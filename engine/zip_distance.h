#pragma once
// The distance engine: coordinates of a zip code, the distance between two zip codes,
// and the worded result line of one comparison.
#include <cstdint>
#include <string>
#include <string_view>

#include "zip_store.h"

namespace quorvane {

inline constexpr std::string_view kNoDetails = "No details found for zip code: ";

class ZipDistance {
 public:
  explicit ZipDistance(std::string database_path) : store_(std::move(database_path)) {}

  // The zip codes whose lookup found zero coordinates (or could not read the
  // database), joined by ", ", duplicates kept. Only the run empties it.
  std::string not_found_zips;

  void set_decimal_separator(std::string sep) { decimal_separator_ = std::move(sep); }
  const std::string& decimal_separator() const { return decimal_separator_; }

  // Lat/lon are written only when a row is found. True when found with both non-zero.
  bool get_zip_point(std::string_view zip, double& lat, double& lon, bool use2016);

  // The result line for one comparison; wording 3, 4 or 5, anything else words nothing.
  std::string GetDistance(std::string_view zip1, std::string_view zip2, std::uint8_t wording,
                          bool use2016);
  // The same, appended to `out` (the run's hot path).
  void append_distance(std::string& out, std::string_view zip1, std::string_view zip2,
                       std::uint8_t wording, bool use2016);

  // Groups lookups: the database file is checked once and a failure reported once.
  class Batch {
   public:
    explicit Batch(ZipDistance& e) : store_(e.store_), owns_(!store_.in_batch()) {
      if (owns_) store_.begin_batch();
    }
    ~Batch() {
      if (owns_) store_.end_batch();
    }
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

   private:
    ZipStore& store_;
    bool owns_;
  };

  ZipStore& store() { return store_; }

 private:
  const ZipRow* lookup(std::string_view zip, double& lat, double& lon, bool use2016, bool& ok);
  void add_not_found(std::string_view zip);

  ZipStore store_;
  std::string decimal_separator_ = ".";
};

}  // namespace quorvane
