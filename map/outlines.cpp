#include "map/outlines.h"

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace quorvane::map {
namespace {

constexpr char kMagic[] = "QVOUTLN1";
constexpr double kUnitsPerStep = 1.0 / 20;

class Reader {
 public:
  Reader(const std::string& path, std::string_view bytes) : path_(path), bytes_(bytes) {}

  void expect_magic() {
    if (take(8) != std::string_view(kMagic, 8)) fail("not a quorvane outline file");
  }
  std::uint32_t number(int size) {
    const std::string_view b = take(size);
    std::uint32_t v = 0;
    for (int i = size - 1; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(b[i]);
    return v;
  }
  std::string text(std::size_t size) { return std::string(take(size)); }
  std::vector<MapXY> line() {
    const std::uint32_t count = number(4);
    if (count > (bytes_.size() - at_) / 4) fail("a line runs past the end");
    std::vector<MapXY> points(count);
    for (MapXY& p : points) {
      p.x = static_cast<std::int16_t>(number(2)) * kUnitsPerStep;
      p.y = static_cast<std::int16_t>(number(2)) * kUnitsPerStep;
    }
    return points;
  }
  void expect_end() {
    if (at_ != bytes_.size()) fail("it goes on past its last line");
  }
  [[noreturn]] void fail(const std::string& why) const {
    throw std::runtime_error("Cannot read the map outlines " + path_ + ": " + why);
  }

 private:
  std::string_view take(std::size_t size) {
    if (size > bytes_.size() - at_) fail("it ends too soon");
    const std::string_view v(bytes_.data() + at_, size);
    at_ += size;
    return v;
  }
  const std::string& path_;
  std::string_view bytes_;
  std::size_t at_ = 0;
};

}  // namespace

std::string outlines_path() {
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ((ec ? std::filesystem::current_path() : exe.parent_path()) / "us_outlines.bin").string();
}

Outlines read_outlines(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec))
    throw std::runtime_error("Cannot read the map outlines " + path +
                             ": it is missing or not a regular file");
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof())
    throw std::runtime_error("Cannot read the map outlines " + path + ": " + std::strerror(errno));
  Reader r(path, bytes);
  r.expect_magic();
  Outlines o;
  o.states.resize(r.number(2));
  for (StateOutline& s : o.states) {
    s.fips = r.text(2);
    s.name = r.text(r.number(1));
    s.rings.resize(r.number(2));
    for (auto& ring : s.rings) ring = r.line();
  }
  const std::uint32_t lines = r.number(4);
  for (std::uint32_t i = 0; i < lines; ++i) o.county_borders.push_back(r.line());
  r.expect_end();
  return o;
}

bool inside(const StateOutline& state, MapXY p) {
  bool in = false;
  for (const auto& ring : state.rings)
    for (std::size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
      const MapXY &a = ring[i], &b = ring[j];
      if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x)
        in = !in;
    }
  return in;
}

}  // namespace quorvane::map
