// quorvane-access-reader PATH TABLE KEY LAT LON
// Reads three columns of an Access table and writes them to standard output, so that
// a damaged file that makes libmdb loop or crash costs this process, not the program.
// Each field: a type byte ('0' null, 'T' text), a 4-byte little-endian length, the
// bytes. 'E' ends a complete table; 'X', a length and a message report a failure.
#include <cstdint>
#include <cstdio>
#include <exception>
#include <string>

#include "mdb_table.h"

namespace {

void put(char type, std::string_view bytes) {
  const auto n = static_cast<std::uint32_t>(bytes.size());
  const unsigned char len[4] = {static_cast<unsigned char>(n), static_cast<unsigned char>(n >> 8),
                                static_cast<unsigned char>(n >> 16),
                                static_cast<unsigned char>(n >> 24)};
  std::fputc(type, stdout);
  std::fwrite(len, 1, 4, stdout);
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
}

void put_cell(const quorvane::Cell& c) {
  if (c.type == quorvane::Cell::Null)
    put('0', {});
  else
    put('T', c.text);
}

void put_row(void*, const quorvane::Cell& key, const quorvane::Cell& lat,
             const quorvane::Cell& lon) {
  put_cell(key);
  put_cell(lat);
  put_cell(lon);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: quorvane-access-reader PATH TABLE KEY LAT LON\n");
    return 2;
  }
  const quorvane::TableSpec layout{argv[2], argv[3], argv[4], argv[5], quorvane::KeyKind::Text};
  try {
    quorvane::read_mdb_table(argv[1], layout, put_row, nullptr);
  } catch (const std::exception& e) {
    put('X', e.what());
    std::fflush(stdout);
    return 1;
  }
  std::fputc('E', stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}
