#pragma once
// A column of zip codes as Python hands it over, read straight from the NumPy array's
// memory and cleaned as the command line cleans zip codes (engine/zip_clean.h): text
// (str or bytes), whole numbers that lost their leading zeros, or Python objects.
// Missing values (None, NaN, pandas' NA and NaT) are no zip code.
#include <pybind11/numpy.h>

#include <cstddef>

#include "engine/zip_clean.h"

namespace quorvane::python {

class ZipColumn {
 public:
  // Made and destroyed with the interpreter lock held. `name` names the argument in
  // messages. Throws TypeError for arrays of other things (bool, dates, ...).
  ZipColumn(pybind11::array array, const char* name);

  std::size_t size() const { return size_; }
  // Arrays of Python objects are read with the interpreter lock held; the rest without.
  bool needs_lock() const { return kind_ == 'O'; }

  // Cleans elements [from, from + n). Throws TypeError for an object that is not text.
  void clean(std::size_t from, std::size_t n, CleanZip* out) const;

 private:
  CleanZip element(const char* p) const;
  CleanZip object(std::size_t i, const char* p) const;

  pybind11::array array_;
  const char* name_;
  const char* data_ = nullptr;
  std::size_t size_ = 0;
  std::ptrdiff_t stride_ = 0;
  std::size_t itemsize_ = 0;
  char kind_ = 0;
};

}  // namespace quorvane::python
