// quorvane-access-reader PATH TABLE KEY LAT LON
// Reads three columns of an Access table and writes them to standard output, so that
// a damaged file that makes libmdb loop or crash costs this process, not the program.
// Each field: a type byte ('0' null, 'T' text), a 4-byte little-endian length, the
// bytes. 'E' ends a complete table; 'X', a length and a message report a failure.
#include <sys/resource.h>

#include <cstdint>
#include <cstdio>
#include <exception>
#include <new>
#include <string>

#include "engine/mdb_table.h"

namespace {

void put(char type, std::string_view bytes) {
  const auto n = static_cast<std::uint32_t>(bytes.size());
  const unsigned char len[4] = {static_cast<unsigned char>(n), static_cast<unsigned char>(n >> 8),
                                static_cast<unsigned char>(n >> 16),
                                static_cast<unsigned char>(n >> 24)};
  std::fputc(type, stdout);
  std::fwrite(len, 1, 4, stdout);
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), stdout);  // never a null pointer
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

// A damaged file can make libmdb allocate gigabytes; with its address space capped the
// reader fails within a second instead of swapping the machine for its time limit.
// AddressSanitizer reserves terabytes of address space up front, so its builds go without.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kCapMemory = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kCapMemory = false;
#else
constexpr bool kCapMemory = true;
#endif
#else
constexpr bool kCapMemory = true;
#endif
constexpr rlim_t kMaxAddressSpace = rlim_t{1} << 30;

void cap_memory() {
  if (!kCapMemory) return;
  rlimit limit{};
  if (getrlimit(RLIMIT_AS, &limit) != 0) return;
  if (limit.rlim_max != RLIM_INFINITY && limit.rlim_max < kMaxAddressSpace) return;
  limit.rlim_cur = kMaxAddressSpace;
  setrlimit(RLIMIT_AS, &limit);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: quorvane-access-reader PATH TABLE KEY LAT LON\n");
    return 2;
  }
  cap_memory();
  const quorvane::TableSpec layout{argv[2], argv[3], argv[4], argv[5], quorvane::KeyKind::Text};
  try {
    quorvane::read_mdb_table(argv[1], layout, put_row, nullptr);
  } catch (const std::bad_alloc&) {
    put('X', std::string("The Access database ") + argv[1] +
                 " is damaged: reading it needs more than " +
                 std::to_string(kMaxAddressSpace >> 20) + " MB of memory");
    std::fflush(stdout);
    return 1;
  } catch (const std::exception& e) {
    put('X', e.what());
    std::fflush(stdout);
    return 1;
  }
  std::fputc('E', stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}
