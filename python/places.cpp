#include "python/places.h"

#include <pybind11/numpy.h>

#include <cmath>
#include <vector>

#include "engine/zip_clean.h"
#include "engine/zip_index.h"
#include "format/status_words.h"
#include "python/engines.h"

namespace py = pybind11;

namespace quorvane::python {
namespace {

double printed(double distance) {
  return std::nearbyint(distance * 100.0) / 100.0;
}

py::list texts(const std::vector<std::string_view>& values) {
  py::list out(values.size());
  for (std::size_t i = 0; i < values.size(); ++i)
    out[i] = py::str(values[i].data(), values[i].size());
  return out;
}

}  // namespace

py::dict within(const std::string& zip, double radius, const std::string& db, bool use2016,
                bool geodesic, bool km) {
  const CleanZip centre_zip = clean_zip(zip);
  if (!centre_zip.ok()) throw py::value_error(zip + " is not a zip code");
  const Method method = geodesic ? Method::Geodesic : Method::Sphere;
  const Units units = km ? Units::Kilometres : Units::Miles;
  std::vector<std::string_view> zip2, status;
  std::vector<double> distances;
  std::string centre_text;
  {
    py::gil_scoped_release unlocked;
    Session session(db, use2016);
    const LocatedZip centre = locate_zip(session.table(), centre_zip.zip(), use2016);
    if (centre.status != PlaceStatus::Found)
      throw py::value_error(place_problem(centre.status, centre_zip.zip(), use2016));
    centre_text = centre.place.zip;
    const ZipIndex* index = session.engine().store().index(use2016);
    const auto found = index->within(centre.place, radius, method, units);
    // Each pair as the command line words it: through the engine's comparison.
    CompareOptions options;
    options.use2016 = use2016;
    options.method = method;
    options.units = units;
    std::vector<ZipPair> pairs;
    pairs.reserve(found.size());
    for (const Neighbour& n : found) pairs.push_back({centre_text, n.place->zip});
    std::vector<PairResult> results(pairs.size());
    session.engine().compare(pairs, options, results, LineOutput{});
    session.engine().not_found_zips.clear();
    for (std::size_t i = 0; i < pairs.size(); ++i) {
      zip2.push_back(pairs[i].second);  // the index's places outlive the session
      const bool has = results[i].status == PairStatus::Distance;
      distances.push_back(has ? printed(results[i].distance) : NAN);
      status.push_back(status_word(results[i].status));
    }
  }
  py::dict columns;
  columns["zip1"] = texts(std::vector<std::string_view>(zip2.size(), centre_text));
  columns["zip2"] = texts(zip2);
  columns["miles"] =
      py::array_t<double>(static_cast<py::ssize_t>(distances.size()), distances.data());
  columns["status"] = texts(status);
  return columns;
}

py::dict nearest(double lat, double lon, std::size_t count, const std::string& db, bool use2016,
                 bool geodesic, bool km) {
  const Method method = geodesic ? Method::Geodesic : Method::Sphere;
  const Units units = km ? Units::Kilometres : Units::Miles;
  std::vector<std::string_view> zips;
  std::vector<double> lats, lons, distances;
  {
    py::gil_scoped_release unlocked;
    Session session(db, use2016);
    const ZipIndex* index = session.engine().store().index(use2016);
    // No zip code text: the point is no zip code, so nothing is at 0 by its name.
    for (const Neighbour& n : index->nearest(make_place({}, lat, lon), count, method, units)) {
      zips.push_back(n.place->zip);
      lats.push_back(n.place->lat);
      lons.push_back(n.place->lon);
      distances.push_back(printed(n.distance));
    }
  }
  const auto column = [](const std::vector<double>& v) {
    return py::array_t<double>(static_cast<py::ssize_t>(v.size()), v.data());
  };
  py::dict columns;
  columns["zip"] = texts(zips);
  columns["lat"] = column(lats);
  columns["lon"] = column(lons);
  columns[km ? "km" : "miles"] = column(distances);
  return columns;
}

}  // namespace quorvane::python
