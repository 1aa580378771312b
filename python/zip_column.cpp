#include "python/zip_column.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace py = pybind11;

namespace quorvane::python {
namespace {

// The longest text read as a cell; anything longer is not a zip code in any form.
constexpr std::size_t kLongestCell = 64;

CleanZip whole_number(long long v) {
  char buf[24];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return clean_zip(std::string_view(buf, static_cast<std::size_t>(r.ptr - buf)));
}

// A number that stands for a zip code: a whole number; NaN is a missing value.
CleanZip floating(double v) {
  if (!(std::fabs(v) < 1e15) || v != std::trunc(v)) return {};
  return whole_number(static_cast<long long>(v));
}

// UTF-32 text as NumPy stores it, padded with NULs. Only ASCII can be a zip code.
[[gnu::noinline]] CleanZip utf32_general(const char* p, std::size_t units) {
  std::uint32_t c;
  char text[kLongestCell];
  std::size_t n = 0;
  for (; n < units; ++n) {
    std::memcpy(&c, p + 4 * n, 4);
    if (c == 0) break;
    if (c > 0x7f || n == kLongestCell) return {};
    text[n] = static_cast<char>(c);
  }
  for (std::size_t i = n; i < units; ++i) {  // padding only after the first NUL
    std::memcpy(&c, p + 4 * i, 4);
    if (c != 0) return {};
  }
  return clean_zip(std::string_view(text, n));
}

// The usual cell, five digits, without a copy or a loop.
inline CleanZip utf32(const char* p, std::size_t units) {
  if (units >= 5) {
    std::uint32_t c[6] = {};
    std::memcpy(c, p, units == 5 ? 20 : 24);
    bool five = (c[0] - '0') <= 9 && (c[1] - '0') <= 9 && (c[2] - '0') <= 9 && (c[3] - '0') <= 9 &&
                (c[4] - '0') <= 9 && c[5] == 0;
    for (std::size_t i = 6; five && i < units; ++i) {  // the rest is padding
      std::uint32_t pad;
      std::memcpy(&pad, p + 4 * i, 4);
      five = pad == 0;
    }
    if (five) {
      CleanZip z;
      for (int i = 0; i < 5; ++i) z.digits[i] = static_cast<char>(c[i]);
      z.cleaning = Cleaning::Unchanged;
      return z;
    }
  }
  return utf32_general(p, units);
}

CleanZip bytes(const char* p, std::size_t size) {
  return clean_zip(std::string_view(p, strnlen(p, size)));
}

bool is_missing(PyObject* o) {
  if (o == Py_None) return true;
  if (PyFloat_Check(o)) return std::isnan(PyFloat_AS_DOUBLE(o));
  std::string_view type = Py_TYPE(o)->tp_name;
  type = type.substr(type.rfind('.') + 1);  // the whole name when it has no module
  return type == "NAType" || type == "NaTType";
}

}  // namespace

ZipColumn::ZipColumn(py::array array, const char* name) : array_(std::move(array)), name_(name) {
  if (array_.ndim() != 1)
    throw py::value_error(std::string(name_) +
                          " must be one column of zip codes, not an array of " +
                          std::to_string(array_.ndim()) + " dimensions");
  kind_ = array_.dtype().kind();
  if (kind_ != 'U' && kind_ != 'S' && kind_ != 'O' && kind_ != 'i' && kind_ != 'u' && kind_ != 'f')
    throw py::type_error(std::string(name_) + " holds " + std::string(py::str(array_.dtype())) +
                         " values, not zip codes (text or whole numbers)");
  data_ = static_cast<const char*>(array_.data());
  size_ = static_cast<std::size_t>(array_.shape(0));
  stride_ = array_.strides(0);
  itemsize_ = static_cast<std::size_t>(array_.itemsize());
}

CleanZip ZipColumn::element(const char* p) const {
  switch (kind_) {
    case 'U':
      return utf32(p, itemsize_ / 4);
    case 'S':
      return bytes(p, itemsize_);
    case 'i': {
      std::int64_t v = 0;
      if (itemsize_ == 8)
        std::memcpy(&v, p, 8);
      else if (itemsize_ == 4)
        v = *reinterpret_cast<const std::int32_t*>(p);
      else if (itemsize_ == 2)
        v = *reinterpret_cast<const std::int16_t*>(p);
      else
        v = *reinterpret_cast<const std::int8_t*>(p);
      return whole_number(v);
    }
    case 'u': {
      std::uint64_t v = 0;
      if (itemsize_ == 8)
        std::memcpy(&v, p, 8);
      else if (itemsize_ == 4)
        v = *reinterpret_cast<const std::uint32_t*>(p);
      else if (itemsize_ == 2)
        v = *reinterpret_cast<const std::uint16_t*>(p);
      else
        v = *reinterpret_cast<const std::uint8_t*>(p);
      return v > 9999999999ULL ? CleanZip{} : whole_number(static_cast<long long>(v));
    }
    default:  // 'f'
      if (itemsize_ == 8) {
        double v;
        std::memcpy(&v, p, 8);
        return floating(v);
      }
      if (itemsize_ == 4) {
        float v;
        std::memcpy(&v, p, 4);
        return floating(v);
      }
      return {};  // half and extended precision: no zip code is written that way
  }
}

CleanZip ZipColumn::object(std::size_t i, const char* p) const {
  PyObject* o;
  std::memcpy(&o, p, sizeof o);
  if (PyUnicode_Check(o)) {
    Py_ssize_t size = 0;
    const char* text = PyUnicode_AsUTF8AndSize(o, &size);
    if (!text) {  // lone surrogates: no UTF-8 form, and no zip code
      PyErr_Clear();
      return {};
    }
    return clean_zip(std::string_view(text, static_cast<std::size_t>(size)));
  }
  if (PyBytes_Check(o))
    return clean_zip(std::string_view(PyBytes_AS_STRING(o), PyBytes_GET_SIZE(o)));
  if (is_missing(o)) return {};
  if (PyFloat_Check(o)) return floating(PyFloat_AS_DOUBLE(o));
  const std::string_view type = Py_TYPE(o)->tp_name;
  if (PyIndex_Check(o) && !PyBool_Check(o) && !type.ends_with("bool_")) {
    py::object number = py::reinterpret_steal<py::object>(PyNumber_Index(o));
    if (!number) throw py::error_already_set();
    int overflow = 0;
    const long long v = PyLong_AsLongLongAndOverflow(number.ptr(), &overflow);
    return overflow ? CleanZip{} : whole_number(v);
  }
  throw py::type_error(std::string(name_) + "[" + std::to_string(i) + "] is " +
                       std::string(py::str(py::repr(py::handle(o)))) + " of type " +
                       Py_TYPE(o)->tp_name + ", not a zip code (text or a whole number)");
}

void ZipColumn::clean(std::size_t from, std::size_t n, CleanZip* out) const {
  const char* p = data_ + static_cast<std::ptrdiff_t>(from) * stride_;
  if (kind_ == 'O') {
    for (std::size_t i = 0; i < n; ++i, p += stride_) out[i] = object(from + i, p);
    return;
  }
  for (std::size_t i = 0; i < n; ++i, p += stride_) out[i] = element(p);
}

}  // namespace quorvane::python
