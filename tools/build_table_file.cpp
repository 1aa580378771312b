// Writes the table file beside a zip code database (engine/table_file.h).
// Usage: build_table_file DATABASE
#include <cstdio>
#include <exception>

#include "engine/table_file.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: build_table_file DATABASE\n");
    return 2;
  }
  try {
    const auto table2012 = quorvane::load_table(argv[1], quorvane::zip_table_spec(false));
    const auto table2016 = quorvane::load_table(argv[1], quorvane::zip_table_spec(true));
    quorvane::write_table_file(argv[1], *table2012, *table2016);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "build_table_file: %s\n", e.what());
    return 1;
  }
  return 0;
}
