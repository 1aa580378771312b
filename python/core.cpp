// quorvane._core: the compiled half of the Python module. The Python half
// (quorvane/__init__.py) checks the arguments, finds the database and shapes the results.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "engine/zip_distance.h"
#include "format/status_words.h"
#include "python/engines.h"
#include "python/places.h"
#include "python/zip_column.h"

namespace py = pybind11;

namespace quorvane::python {
namespace {

constexpr std::size_t kBlock = 1024;  // pairs per block: a few pages of stack
constexpr int kStatuses = static_cast<int>(PairStatus::NotAZip) + 1;

// Both columns of one block, cleaned, with the interpreter lock taken only when an
// array of Python objects needs it.
void clean_block(const ZipColumn& column, bool single, const CleanZip& one, std::size_t from,
                 std::size_t n, CleanZip* out) {
  if (single) {
    std::fill(out, out + n, one);
  } else if (column.needs_lock()) {
    py::gil_scoped_acquire lock;
    column.clean(from, n, out);
  } else {
    column.clean(from, n, out);
  }
}

// Compares the cleaned pairs of one block; pairs that are not zip codes get NaN and
// their status without a lookup.
void compare_block(ZipDistance& engine, const CompareOptions& options, const CleanZip* a,
                   const CleanZip* b, std::size_t n, double* distances, std::uint8_t* statuses) {
  ZipPair pairs[kBlock];
  PairResult results[kBlock];
  std::uint16_t where[kBlock];
  std::size_t m = 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (a[i].ok() && b[i].ok()) {
      pairs[m] = {a[i].zip(), b[i].zip()};
      where[m++] = static_cast<std::uint16_t>(i);
    } else {
      distances[i] = std::numeric_limits<double>::quiet_NaN();
      if (statuses) statuses[i] = static_cast<std::uint8_t>(PairStatus::NotAZip);
    }
  }
  engine.compare(std::span(pairs, m), options, std::span(results, m), LineOutput{});
  engine.not_found_zips.clear();  // kept by the engine for a run's summary; not wanted here
  for (std::size_t k = 0; k < m; ++k) {
    const PairResult& r = results[k];
    // The number the command line prints: hundredths, exact halves to even.
    distances[where[k]] = r.status == PairStatus::Distance
                              ? std::nearbyint(r.distance * 100.0) / 100.0
                              : std::numeric_limits<double>::quiet_NaN();
    if (statuses) statuses[where[k]] = static_cast<std::uint8_t>(r.status);
  }
}

CompareOptions options_of(bool use2016, bool geodesic, bool km) {
  CompareOptions o;
  o.use2016 = use2016;
  o.method = geodesic ? Method::Geodesic : Method::Sphere;
  o.units = km ? Units::Kilometres : Units::Miles;
  return o;
}

// Distances (and status codes) of the pairs of two columns, either of which may be a
// single zip code compared with every element of the other.
py::tuple distances(py::array a, bool a_single, py::array b, bool b_single, const std::string& db,
                    bool use2016, bool geodesic, bool km, bool statuses) {
  const ZipColumn ca(std::move(a), "a"), cb(std::move(b), "b");
  if (!a_single && !b_single && ca.size() != cb.size())
    throw py::value_error("a and b differ in length: " + std::to_string(ca.size()) + " and " +
                          std::to_string(cb.size()) + " zip codes");
  const std::size_t n = a_single ? (b_single ? 1 : cb.size()) : ca.size();
  CleanZip one_a, one_b;
  if (a_single) ca.clean(0, 1, &one_a);
  if (b_single) cb.clean(0, 1, &one_b);
  py::array_t<double> out(static_cast<py::ssize_t>(n));
  py::array_t<std::uint8_t> codes(static_cast<py::ssize_t>(statuses ? n : 0));
  double* d = out.mutable_data();
  std::uint8_t* s = statuses ? codes.mutable_data() : nullptr;
  const CompareOptions options = options_of(use2016, geodesic, km);
  {
    py::gil_scoped_release unlocked;
    Session session(db, use2016);
    CleanZip za[kBlock], zb[kBlock];
    for (std::size_t from = 0; from < n; from += kBlock) {
      const std::size_t m = std::min(kBlock, n - from);
      clean_block(ca, a_single, one_a, from, m, za);
      clean_block(cb, b_single, one_b, from, m, zb);
      compare_block(session.engine(), options, za, zb, m, d + from, s ? s + from : nullptr);
    }
  }
  return py::make_tuple(out, statuses ? py::object(codes) : py::object(py::none()));
}

py::list status_words() {
  py::list words;
  for (int i = 0; i < kStatuses; ++i) words.append(status_word(static_cast<PairStatus>(i)));
  return words;
}

}  // namespace
}  // namespace quorvane::python

PYBIND11_MODULE(_core, m) {
  using namespace quorvane::python;
  m.doc() = "The compiled half of quorvane: the engine's comparisons for NumPy columns.";
  py::register_exception<DatabaseError>(m, "DatabaseError", PyExc_OSError);
  m.def("set_program_folder", &set_program_folder, py::arg("folder"));
  m.def("status_words", &status_words);
  m.def("distances", &distances, py::arg("a"), py::arg("a_single"), py::arg("b"),
        py::arg("b_single"), py::arg("db"), py::arg("use2016"), py::arg("geodesic"), py::arg("km"),
        py::arg("statuses"));
  m.def("within", &within, py::arg("zip"), py::arg("radius"), py::arg("db"), py::arg("use2016"),
        py::arg("geodesic"), py::arg("km"));
  m.def("nearest", &nearest, py::arg("lat"), py::arg("lon"), py::arg("count"), py::arg("db"),
        py::arg("use2016"), py::arg("geodesic"), py::arg("km"));
}
