// What a zip code table may make the program hold: fields of a few hundred bytes at
// most, and a cap on all its fields together.
#include <gtest/gtest.h>

#include "engine/error_trap.h"
#include "engine/read_limits.h"
#include "engine/zip_table.h"
#include "tests/support/test_db.h"

namespace quorvane {
namespace {

std::string refusal(const std::string& path) {
  try {
    load_table(path, zip_table_spec(true));
  } catch (const RuntimeError& e) {
    return e.what();
  }
  return "(read)";
}

TEST(TableLimits, FieldsAndTotalBytes) {
  test::TempDir dir;
  struct Case {
    const char* name;
    std::string rows;
    std::size_t total_limit;  // 0: as shipped
    std::string message;
  } cases[] = {
      {"a real table", "('03053', 42.8681, -71.3998), ('92018', 33.1581, -117.3506)", 0, "(read)"},
      {"a key at the limit", "(printf('%.*c', 256, '1'), 1, 1)", 0, "(read)"},
      {"a key past the limit", "('03053', 1, 1), (printf('%.*c', 257, '1'), 1, 1)", 0,
       "Cannot read table zip_code2016: the zip_code of row 2 is 257 bytes long; no field of a "
       "zip code table is longer than 256 bytes"},
      {"a longitude past the limit", "('03053', 1, printf('%.*c', 5000, 'x'))", 0,
       "Cannot read table zip_code2016: the longitude of row 1 is 5000 bytes long; no field of "
       "a zip code table is longer than 256 bytes"},
      {"all fields past the cap",
       "('03053', 1, 1), ('92018', 1, 1), ('60628', 1, 1), ('10001', 1, 1)", 60,
       "Cannot read table zip_code2016: its fields hold more than 0 MB (60 bytes), more than any "
       "zip code table"},
  };
  for (const Case& c : cases) {
    const std::string path = dir.file(std::string(c.name) + ".db");
    test::make_sqlite(path,
                      "CREATE TABLE zip_code2016 (zip_code TEXT, lattitude REAL, longitude REAL);"
                      "INSERT INTO zip_code2016 VALUES " +
                          c.rows + ";");
    set_table_byte_limit(c.total_limit);
    EXPECT_EQ(refusal(path), c.message) << c.name;
  }
  set_table_byte_limit(0);
}

}  // namespace
}  // namespace quorvane
