#include "engine/access_stream.h"

#include <cstdint>

#include "engine/error_trap.h"
#include "engine/read_limits.h"

namespace quorvane {
namespace {

struct StreamReader {
  std::string_view data;
  std::size_t at = 0;

  // One field of one of the given types; false, reading nothing, when there is none.
  bool field(Cell& cell, std::string_view types) {
    if (data.size() - at < 5 || types.find(data[at]) == std::string_view::npos) return false;
    std::uint32_t n = 0;
    for (int i = 3; i >= 0; --i) n = (n << 8) | static_cast<unsigned char>(data[at + 1 + i]);
    if (data.size() - at - 5 < n) return false;
    cell = Cell{};
    if (data[at] != '0') {
      cell.type = Cell::Text;
      cell.text = data.substr(at + 5, n);
    }
    at += 5 + n;
    return true;
  }

  // A whole row or nothing: a row cut off before its end is no row.
  bool row(Cell& key, Cell& lat, Cell& lon) {
    const std::size_t start = at;
    if (field(key, "0T") && field(lat, "0T") && field(lon, "0T")) return true;
    at = start;
    return false;
  }
};

}  // namespace

void parse_access_stream(std::string_view data, bool exited_well, const std::string& path,
                         const std::string& table, RowFn fn, void* ctx) {
  StreamReader r{data};
  Cell key, lat, lon;
  std::size_t rows = 0;
  while (r.row(key, lat, lon)) {
    if (++rows > kMaxTableRows)
      throw RuntimeError(3343, "The Access database " + path + " is too large: table " + table +
                                   " has more than " + std::to_string(kMaxTableRows) + " rows");
    fn(ctx, key, lat, lon);
  }
  Cell message;
  if (r.field(message, "X"))
    throw RuntimeError(3343, message.text.empty() ? "The Access database " + path + " is damaged"
                                                  : std::string(message.text));
  if (r.at + 1 != data.size() || data[r.at] != 'E' || !exited_well)
    throw RuntimeError(3343, "The Access database " + path +
                                 " is damaged: its reader stopped before the end of table " +
                                 table);
}

}  // namespace quorvane
