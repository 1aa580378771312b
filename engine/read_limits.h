#pragma once
// Bounds on reading a database file, so that any file is read or refused in seconds
// and in bounded memory.
#include <chrono>
#include <cstddef>

namespace quorvane {

// More rows than any zip code table holds (there are 100,000 five-digit codes).
inline constexpr std::size_t kMaxTableRows = 2'000'000;

// An SQLite file not read within this time is refused (10 s unless set).
void set_sqlite_read_time_limit(std::chrono::milliseconds limit);

}  // namespace quorvane
