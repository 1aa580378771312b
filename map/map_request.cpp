#include "map/map_request.h"

#include <cstdio>
#include <optional>
#include <unordered_map>

#include "cli/columns.h"
#include "cli/input.h"
#include "cli/table_columns.h"
#include "engine/store_index.h"
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
  // `title` stands for the zip code of a place that has none (a customer's position).
  bool dot(const ZipPlace& place, DotKind kind, std::size_t store = 0,
           std::string_view title = {}) {
    const Projected p = projection_.project(place.lat, place.lon);
    std::string name(title.empty() ? std::string_view(place.zip) : title);
    if (p.inset == Inset::None)
      scene_.not_on_map.push_back(std::move(name));
    else
      scene_.dots.push_back({p.at, kind, std::move(name), p.inset, store});
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
              a + " - " + b + ": " + length_text(d, scene_.units), 0};
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
        r + " around " + centre.place.zip, 0};
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

  int assign() {
    const cli::AssignSettings& a = settings_.assign;
    const cli::InputFile file(a.customers);
    if (file.fd() < 0) return cli::kError;
    CsvOptions csv;
    if (a.delimiter.size() == 1) csv.delimiter = a.delimiter[0];
    CsvReader reader(CsvReader::from_fd(file.fd()), csv);
    const auto fault = [&] {
      cli::report("Cannot read the customers' table " + a.customers + ": " + reader.error());
      return cli::kError;
    };
    bool more = reader.next();
    if (reader.failed()) return fault();
    const bool header = !a.no_header, by_zip = !a.from.empty();
    const std::vector<std::string> head(reader.fields().begin(), reader.fields().end());
    const std::vector<std::string_view> head_views(head.begin(), head.end());
    std::size_t columns[2] = {0, 0};  // the zip code's, or latitude's and longitude's
    const auto find = [&](const char* option, const std::string& name, std::size_t& at) {
      const auto found = cli::find_column(name, head_views, header);
      if (!found) cli::report(cli::missing_column(option, name, a.customers, head_views, header));
      at = found.value_or(0);
      return found.has_value();
    };
    if (more && (by_zip ? !find("--from", a.from, columns[0])
                        : !(find("--lat", a.lat, columns[0]) && find("--lon", a.lon, columns[1]))))
      return cli::kError;
    cli::AssignSettings store_settings = a;
    store_settings.common = settings_.common;
    const char delimiter = reader.delimiter() ? reader.delimiter() : ',';
    const std::optional<cli::Stores> stores = cli::read_stores(store_settings, table_, delimiter);
    if (!stores) return cli::kError;
    const StoreIndex index(stores->places);
    for (std::uint32_t i = 0; i < index.size(); ++i) dot(index.store(i), DotKind::Store, i);

    StoreIndex::Scratch scratch;
    std::vector<StoreHit> hits;
    std::size_t customers = 0;
    std::string title;
    for (more = more && (header ? reader.next() : true); more; more = reader.next()) {
      const auto fields = reader.fields();
      const auto cell = [&](std::size_t i) {
        return i < fields.size() ? fields[i] : std::string_view();
      };
      PairStatus status = PairStatus::Distance;
      ZipPlace from;
      std::string_view shown = cell(columns[0]);
      title.clear();
      if (by_zip) {
        cli::CellPlace p = cli::place_of_cell(table_, shown, false, options_.use2016);
        status = p.status;
        from = std::move(p.place);
      } else {
        double lat = 0, lon = 0;
        status = cli::read_degrees(shown, 90, lat);
        if (status == PairStatus::Distance) status = cli::read_degrees(cell(columns[1]), 180, lon);
        from = make_place({}, lat, lon);
        title = std::string(trim_blanks(shown)) + ", " + std::string(trim_blanks(cell(columns[1])));
      }
      if (status != PairStatus::Distance) {
        unplaced(title.empty() ? shown : std::string_view(title));
        continue;
      }
      ++customers;
      index.nearest(from, 1, options_.method, options_.units, scratch, hits);
      const ZipPlace& store = index.store(hits[0].store);
      dot(from, DotKind::Customer, hits[0].store, title);
      Stroke spoke{paths_.leg(from.lat, from.lon, store.lat, store.lon),
                   (title.empty() ? from.zip : title) + " - " + store.zip + ": " +
                       length_text(hits[0].distance, scene_.units),
                   hits[0].store};
      if (!spoke.path.runs.empty()) scene_.spokes.push_back(std::move(spoke));
    }
    if (reader.failed()) return fault();
    if (customers == 0) {
      cli::report("The customers' table " + a.customers + " has no row with a position in " +
                  table_name() + ": nothing to map");
      return cli::kError;
    }
    scene_.title = counted(customers, "customer", "customers") + " and their nearest of " +
                   counted(index.size(), "store", "stores");
    scene_.legend = {{LegendItem::DotShape, DotKind::Store, "store (each its own colour)"},
                     {LegendItem::DotShape, DotKind::Customer, "customer, in its store's colour"},
                     {LegendItem::SpokeShape, DotKind::Customer, "spoke to the nearest store"}};
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
  // A customer row without a position: noted under the map, the first few by name.
  void unplaced(std::string_view cell) {
    if (missing_.size() < 21)
      missing_.push_back(cell.empty() ? "(empty)" : std::string(cell));
    else
      ++missing_more_;
  }
  int finish() {
    scene_.zoom = !settings_.all;
    if (missing_.empty()) return cli::kAllDistances;
    std::string line = "No position in " + table_name() + ":";
    for (std::size_t i = 0; i < missing_.size() && i < 20; ++i)
      line += (i ? ", " : " ") + missing_[i];
    if (missing_.size() + missing_more_ > 20)
      line += " and " + std::to_string(missing_.size() + missing_more_ - 20) + " more";
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
  std::size_t legs_ = 0, missing_more_ = 0;
};

}  // namespace

int make_scene(ZipDistance& engine, const MapSettings& s, Scene& scene) {
  Builder b(engine, s, scene);
  if (s.all) return b.all();
  if (!s.assign.customers.empty()) return b.assign();
  if (!s.within.empty()) return b.within();
  return b.list();
}

}  // namespace quorvane::map
