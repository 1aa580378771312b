#pragma once
// The spatial questions: the zip codes within a radius of one, and those nearest a
// point, as columns of the command line's CSV output (within: zip1, zip2, miles,
// status; nearest: zip, lat, lon and miles or km).
#include <pybind11/pybind11.h>

#include <string>

namespace quorvane::python {

pybind11::dict within(const std::string& zip, double radius, const std::string& db, bool use2016,
                      bool geodesic, bool km);
pybind11::dict nearest(double lat, double lon, std::size_t count, const std::string& db,
                       bool use2016, bool geodesic, bool km);

}  // namespace quorvane::python
