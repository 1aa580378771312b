#include "map/map_request.h"

#include <cstdio>
#include <unordered_map>

#include "cli/input.h"
#include "engine/text.h"
#include "engine/zip_index.h"

namespace quorvane::map {
namespace {

std::string counted(std::size_t n, const char* one, const char* many) {
  std::string digits = std::to_string(n), grouped;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i && (digits.size() - i) % 3 == 0) grouped += ',';
    grouped += digits[i];
  }
  return grouped + " " + (n == 1 ? one : many);
}

std::string length_text(double v, const std::string& units) {
  char b[64];
  std::snprintf(b, sizeof b, "%.1f %s", v, units.c_str());
  return b;
}

class Builder {
 public:
  Builder(ZipDistance& engine, const MapSettings& s, Scene& scene)
      : options_(s.common.compare()),
        table_(*engine.store().table(options_.use2016)),
        engine_(engine),
        scene_(scene),
        paths_(projection_, options_.method),
        settings_(s) {
    scene.units = options_.units == Units::Kilometres ? "km" : "miles";
  }

  // Places the zip code's dot once; false when it has no position in the table.
  bool dot(const ZipPlace& place, DotKind kind) {
    const Projected p = projection_.project(place.lat, place.lon);
    if (p.inset == Inset::None)
      scene_.not_on_map.push_back(place.zip);
    else
      scene_.dots.push_back({p.at, kind, place.zip, p.inset});
    return true;
  }

  const ZipPlace* place(const std::string& zip, DotKind kind) {
    const auto [it, added] = seen_.try_emplace(zip);
    if (added) {
      it->second = locate_zip(table_, zip, options_.use2016);
      if (it->second.status == PlaceStatus::Found)
        dot(it->second.place, kind);
      else
        missing_.push_back(zip);
    }
    return it->second.status == PlaceStatus::Found ? &it->second.place : nullptr;
  }

  void leg(const std::string& a, const std::string& b) {
    const ZipPlace *p = place(a, DotKind::Listed), *q = place(b, DotKind::Listed);
    if (!p || !q) return;
    ++legs_;
    const double d = place_distance(*p, *q, options_.method, options_.units);
    Stroke st{paths_.leg(p->lat, p->lon, q->lat, q->lon),
              a + " - " + b + ": " + length_text(d, scene_.units)};
    if (!st.path.runs.empty()) scene_.legs.push_back(std::move(st));
  }

  int list() {
    const cli::Separators& sep = settings_.common.separators;
    const bool by_reference = !settings_.reference.empty();
    std::string reference, previous;
    bool previous_numeric = false;
    if (by_reference) {
      reference = zip_of_entry(settings_.reference);
      if (!place(reference, DotKind::Reference)) {
        cli::report("--reference " + settings_.reference + ": " +
                    place_problem(seen_[reference].status, reference, options_.use2016));
        return cli::kError;
      }
    }
    // Entries are paired as run pairs them: each entry that passes the numeric test
    // with the next entry, or with the reference.
    const bool read = cli::read_inputs(
        settings_.files,
        [&](std::string_view e) {
          const bool numeric = is_numeric(e, sep.decimal, sep.group);
          if (!numeric && (by_reference || !previous_numeric)) return;
          std::string zip = zip_of_entry(e);
          if (by_reference) return leg(zip, reference);
          if (previous_numeric)
            leg(previous, zip);
          else if (numeric)
            place(zip, DotKind::Listed);
          previous = std::move(zip);
          previous_numeric = numeric;
        },
        [] {});
    if (!read) return cli::kError;
    if (scene_.dots.size() + scene_.not_on_map.size() == (by_reference ? 1u : 0u)) {
      cli::report("The list has no zip code with a position in " + table_name() +
                  ": nothing to map");
      return cli::kError;
    }
    const std::size_t points = seen_.size() - missing_.size();
    scene_.title = counted(points, "zip code", "zip codes") + " of a list and " +
                   counted(legs_, "leg", "legs") +
                   (by_reference ? " to reference " + reference : " between consecutive ones");
    scene_.labels = points <= 200;
    scene_.legend.push_back({LegendItem::DotShape, DotKind::Listed, "zip code"});
    if (by_reference)
      scene_.legend.push_back({LegendItem::DotShape, DotKind::Reference, "reference"});
    scene_.legend.push_back({LegendItem::LegShape, DotKind::Listed, leg_text()});
    return finish();
  }

  int within() {
    const std::string& zip = settings_.within[0];
    const double radius = std::stod(settings_.within[1]);
    const LocatedZip centre = locate_zip(table_, zip, options_.use2016);
    if (centre.status != PlaceStatus::Found) {
      cli::report("--within " + zip + ": " + place_problem(centre.status, zip, options_.use2016));
      return cli::kError;
    }
    dot(centre.place, DotKind::Centre);
    const std::string r = length_text(radius, scene_.units);
    Stroke ring{
        paths_.ring(centre.place.lat, centre.place.lon,
                    options_.units == Units::Kilometres ? radius / kKilometresPerMile : radius),
        r + " around " + centre.place.zip};
    if (!ring.path.runs.empty()) scene_.rings.push_back(std::move(ring));
    const ZipIndex& index = *engine_.store().index(options_.use2016);
    const auto found = index.within(centre.place, radius, options_.method, options_.units);
    std::size_t inside = 0;
    for (const Neighbour& n : found)
      if (n.place->zip != centre.place.zip) dot(*n.place, DotKind::Inside), ++inside;
    scene_.title =
        counted(inside, "zip code", "zip codes") + " within " + r + " of " + centre.place.zip;
    scene_.labels = inside <= 60;
    scene_.legend = {{LegendItem::DotShape, DotKind::Centre, "centre " + centre.place.zip},
                     {LegendItem::DotShape, DotKind::Inside, "within " + r},
                     {LegendItem::RingShape, DotKind::Inside, r + " " + ground_text()}};
    return finish();
  }

  int all() {
    const ZipIndex& index = *engine_.store().index(options_.use2016);
    scene_.dots.reserve(index.size());
    for (const ZipPlace& p : index.places()) dot(p, DotKind::All);
    scene_.title = "Every zip code of " + table_name() +
                   " with a position: " + counted(index.size(), "zip code", "zip codes");
    scene_.legend = {{LegendItem::DotShape, DotKind::All, "zip code"}};
    return finish();
  }

 private:
  std::string table_name() const { return options_.use2016 ? "the 2016 table" : "the 2012 table"; }
  std::string ground_text() const {
    return options_.method == Method::Geodesic ? "on the WGS-84 ellipsoid" : "on the sphere";
  }
  std::string leg_text() const {
    return options_.method == Method::Geodesic ? "leg (geodesic)" : "leg (great circle)";
  }
  int finish() {
    scene_.zoom = !settings_.all;
    if (missing_.empty()) return cli::kAllDistances;
    std::string line = "No position in " + table_name() + ":";
    for (std::size_t i = 0; i < missing_.size() && i < 20; ++i)
      line += (i ? ", " : " ") + missing_[i];
    if (missing_.size() > 20) line += " and " + std::to_string(missing_.size() - 20) + " more";
    scene_.notes.push_back(line);
    return cli::kSomeWithout;
  }

  const CompareOptions options_;
  const ZipTable& table_;
  ZipDistance& engine_;
  Scene& scene_;
  const AlbersUsa projection_;
  const GeodesicPaths paths_;
  const MapSettings& settings_;
  std::unordered_map<std::string, LocatedZip> seen_;
  std::vector<std::string> missing_;
  std::size_t legs_ = 0;
};

}  // namespace

int make_scene(ZipDistance& engine, const MapSettings& s, Scene& scene) {
  Builder b(engine, s, scene);
  if (s.all) return b.all();
  if (!s.within.empty()) return b.within();
  return b.list();
}

}  // namespace quorvane::map
