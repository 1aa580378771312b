// quorvane-access-reader PATH TABLE KEY LAT LON
// Reads three columns of an Access table and writes them to standard output, so that
// a damaged file that makes libmdb loop or crash costs this process, not the program.
// Each field: a type byte ('0' null, 'T' text), a 4-byte little-endian length, the
// bytes. 'E' ends a complete table; 'X', a length and a message report a failure.
//
// Standard output carries that data alone: the library's own diagnostics ("offset ...
// is beyond EOF") go where standard error goes. An abort in the library (its way of
// failing to allocate) sends the error record too, and leaves no core file.
#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <string>

#include "engine/mdb_table.h"

namespace {

int data_fd = -1;

// Whole records are gathered here and written at row ends, so that what has left the
// process is always whole rows, whatever stops it.
char out_buffer[1 << 16];
std::size_t out_used = 0;
bool out_ok = true;

void write_all(const char* p, std::size_t n) {
  while (out_ok && n > 0) {
    const ssize_t w = ::write(data_fd, p, n);
    if (w < 0 && errno == EINTR) continue;
    out_ok = w > 0;
    if (w > 0) {
      p += w;
      n -= static_cast<std::size_t>(w);
    }
  }
}

void flush_out() {
  write_all(out_buffer, out_used);
  out_used = 0;
}

void append_out(const char* p, std::size_t n) {
  if (out_used + n > sizeof out_buffer) flush_out();
  if (n > sizeof out_buffer) return write_all(p, n);
  std::memcpy(out_buffer + out_used, p, n);
  out_used += n;
}

// The record as bytes: a type, a 4-byte little-endian length, the bytes.
void put(char type, std::string_view bytes) {
  const auto n = static_cast<std::uint32_t>(bytes.size());
  const char head[5] = {type, static_cast<char>(n), static_cast<char>(n >> 8),
                        static_cast<char>(n >> 16), static_cast<char>(n >> 24)};
  append_out(head, sizeof head);
  if (!bytes.empty()) append_out(bytes.data(), bytes.size());
}

// The error record an abort sends, made before reading: the handler only writes it.
std::string abort_record;

void on_abort(int) {
  out_used = 0;  // what is gathered goes: the failure ends the table anyway
  write_all(abort_record.data(), abort_record.size());
  ::_exit(1);
}

void prepare_for_abort(const char* path, std::size_t memory_mb) {
  const std::string message = std::string("The Access database ") + path +
                              " is damaged: reading it needs more than " +
                              std::to_string(memory_mb) + " MB of memory, or the reader gave up";
  const auto n = static_cast<std::uint32_t>(message.size());
  abort_record = {'X', static_cast<char>(n), static_cast<char>(n >> 8), static_cast<char>(n >> 16),
                  static_cast<char>(n >> 24)};
  abort_record += message;
  struct sigaction action {};
  action.sa_handler = on_abort;
  sigemptyset(&action.sa_mask);
  sigaction(SIGABRT, &action, nullptr);
  // No core file of up to a gigabyte in the caller's folder, whatever stops the reader.
  const rlimit no_core{0, 0};
  setrlimit(RLIMIT_CORE, &no_core);
}

// Standard output keeps the data alone. What the library writes there (its reports of
// a damaged file: "offset ... is beyond EOF") goes to a file of its own instead, and
// makes the table damaged, with the library's first line as the reason.
int diagnostics_fd = -1;

bool separate_data() {
  std::fflush(stdout);
  data_fd = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
  diagnostics_fd = ::memfd_create("quorvane-access-diagnostics", MFD_CLOEXEC);
  if (diagnostics_fd < 0) diagnostics_fd = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
  return data_fd >= 0 && diagnostics_fd >= 0 && ::dup2(diagnostics_fd, STDOUT_FILENO) >= 0;
}

// The library's first line on standard output, or nothing.
std::string library_complaint() {
  std::fflush(stdout);
  char text[512];
  const ssize_t n = ::pread(diagnostics_fd, text, sizeof text, 0);
  if (n <= 0) return {};
  std::string line(text, static_cast<std::size_t>(n));
  line = line.substr(0, line.find('\n'));
  return line.empty() ? std::string("its reader reported a fault") : line;
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
  if (out_used > sizeof out_buffer / 2) flush_out();
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
  if (!separate_data()) {
    std::fprintf(stderr, "quorvane-access-reader: %s\n", std::strerror(errno));
    return 1;
  }
  prepare_for_abort(argv[1], kMaxAddressSpace >> 20);
  cap_memory();
  const quorvane::TableSpec layout{argv[2], argv[3], argv[4], argv[5], quorvane::KeyKind::Text};
  try {
    quorvane::read_mdb_table(argv[1], layout, put_row, nullptr);
  } catch (const std::bad_alloc&) {
    out_used = 0;
    write_all(abort_record.data(), abort_record.size());
    return 1;
  } catch (const std::exception& e) {
    put('X', e.what());
    flush_out();
    return 1;
  }
  if (const std::string complaint = library_complaint(); !complaint.empty()) {
    put('X', std::string("The Access database ") + argv[1] + " is damaged: " + complaint);
    flush_out();
    return 1;
  }
  append_out("E", 1);
  flush_out();
  return out_ok ? 0 : 1;
}
