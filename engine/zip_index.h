#pragma once
// Spatial questions over one zip code table: every zip code within a radius of a centre,
// and the zip codes nearest to a point. Answers come from a k-d tree over the zip codes
// as unit vectors (chord length orders points as great-circle distance does), but every
// distance in an answer is the engine's own formula, so an answer is exactly the set a
// full scan with that formula gives; the tree only narrows down the candidates.
#include <atomic>
#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/options.h"
#include "engine/zip_table.h"

namespace quorvane {

inline constexpr double kKilometresPerMile = 1.609344;

// A zip code with a position: both coordinates readable, finite and non-zero.
struct ZipPlace {
  std::string zip;
  double lat = 0, lon = 0;
  double sin_lat = 0, cos_lat = 0;  // of deg_to_rad(lat), as the formula needs them
};

ZipPlace make_place(std::string zip, double lat, double lon);

// Why a zip code has no position; the first value when it has one.
enum class PlaceStatus : std::uint8_t { Found, NotInTable, ZeroCoordinates, BadCoordinates };

// True when the row's coordinates give a position.
bool has_position(const ZipRow& row);

struct LocatedZip {
  PlaceStatus status = PlaceStatus::NotInTable;
  ZipPlace place;  // when found; its zip is the table's text of the key ("02134")
};

// Looks a zip code up as a comparison does: the 2016 table by text, the 2012 table by
// number (so "2134" finds 02134, and text that is not a number finds nothing).
LocatedZip locate_zip(const ZipTable& table, std::string_view zip, bool use2016);

// One sentence on why a zip code cannot serve as a centre, for the user.
std::string place_problem(PlaceStatus status, std::string_view zip, bool use2016);

// The distance from `from` to `to` in the chosen units and method, with the engine's
// formulas and argument order; zero between two places of the same zip code text.
double place_distance(const ZipPlace& from, const ZipPlace& to, Method method, Units units);

struct Neighbour {
  const ZipPlace* place = nullptr;
  double distance = 0;  // in the units asked for
};

class ZipIndex {
 public:
  // Every zip code of the table that has a position. The index reads the table's points
  // and rows, so the table must outlive it.
  explicit ZipIndex(const ZipTable& table);
  ~ZipIndex();
  ZipIndex(const ZipIndex&) = delete;
  ZipIndex& operator=(const ZipIndex&) = delete;

  std::size_t size() const { return rows_.size(); }
  // Every place, in zip code text order.
  std::span<const ZipPlace> places() const;

  // Every place at most `radius` from the centre (boundary included), nearest first,
  // equal distances by zip code text. A centre with a zip code text finds itself at 0.
  std::vector<Neighbour> within(const ZipPlace& centre, double radius, Method method,
                                Units units) const;

  // The `count` places nearest to the centre, ordered as within() orders them.
  std::vector<Neighbour> nearest(const ZipPlace& centre, std::size_t count, Method method,
                                 Units units) const;

 private:
  struct Tree;
  // The candidates at most `limit` away, sorted.
  std::vector<Neighbour> measure(const ZipPlace& centre, const std::vector<std::uint32_t>& ids,
                                 double limit, Method method, Units units) const;
  std::vector<std::uint32_t> candidates(const ZipPlace& centre, double angle) const;
  // The first few queries scan every point, which costs less than building the tree;
  // later ones build it once (whichever thread comes first) and search it. False while
  // scanning.
  static constexpr unsigned kScannedQueries = 4;
  bool use_tree() const;

  // The place of an id, made from its table row the first time it is asked for: a query
  // touches only the places it measures.
  const ZipPlace& place(std::uint32_t id) const;

  const ZipTable& table_;
  std::vector<std::int32_t> rows_;  // the table row of each place id, in zip code text order
  struct Places;
  std::unique_ptr<Places> places_;  // ids order ties: their addresses follow the ids
  std::vector<std::uint32_t> odd_;  // positions the tree's bounds do not cover: always scanned
  std::unique_ptr<Tree> tree_;
  mutable std::atomic<unsigned> queries_{0};
};

}  // namespace quorvane
