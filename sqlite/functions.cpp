#include "sqlite/functions.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <cmath>
#include <filesystem>

#include "engine/zip_clean.h"

namespace quorvane::sqlite {

std::string extension_folder() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&extension_folder), &info) == 0 || !info.dli_fname) return ".";
  std::error_code ec;
  const auto path = std::filesystem::canonical(info.dli_fname, ec);
  return ec ? std::filesystem::path(info.dli_fname).parent_path().string()
            : path.parent_path().string();
}

Zips::Zips(std::string path) : engine_(std::move(path)) {}

void Zips::check(bool use2016) {
  const auto now = std::chrono::steady_clock::now();
  if (!batch_ || now - batch_start_ > std::chrono::seconds(1)) {
    batch_.reset();
    const std::string& path = engine_.store().path();
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
      throw DatabaseError("Cannot read the zip code database " + path +
                          ": it is not a regular file");
    batch_.emplace(engine_);
    batch_start_ = now;
  }
  if (!engine_.store().table(use2016))
    throw DatabaseError("Cannot read the zip code database " + engine_.store().path() + ": " +
                        engine_.store().error(use2016));
}

std::optional<double> Zips::distance(std::string_view a, std::string_view b,
                                     const CompareOptions& options) {
  const CleanZip za = clean_zip(a), zb = clean_zip(b);
  if (!za.ok() || !zb.ok()) return std::nullopt;
  check(options.use2016);
  const ZipPair pair{za.zip(), zb.zip()};
  PairResult result;
  engine_.compare(std::span(&pair, 1), options, std::span(&result, 1), LineOutput{});
  engine_.not_found_zips.clear();
  if (result.status != PairStatus::Distance) return std::nullopt;
  // The number the command line prints: hundredths, exact halves to even.
  return std::nearbyint(result.distance * 100.0) / 100.0;
}

std::optional<double> Zips::coordinate(std::string_view zip, bool use2016, bool latitude) {
  const CleanZip z = clean_zip(zip);
  if (!z.ok()) return std::nullopt;
  check(use2016);
  double lat = 0, lon = 0;
  const bool found = engine_.get_zip_point(z.zip(), lat, lon, use2016);
  engine_.not_found_zips.clear();
  if (!found) return std::nullopt;
  return latitude ? lat : lon;
}

}  // namespace quorvane::sqlite
