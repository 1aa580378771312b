// The window's run against hostile entries and tables, as the command line meets them.
#include <QFile>

#include "tests/gui/gui_test_base.h"

namespace quorvane::test {
namespace {

class HostileRun : public GuiTest {
 protected:
  void fill(std::initializer_list<const char*> zips) {
    for (const char* z : zips) form().zipList().append(z);
    form().zipList().flush();
  }
};

// An entry whose five-character cut reads as another number is no zip code.
TEST_F(HostileRun, ACutThatReadsAsAnotherNumberIsNoZipCode) {
  start();
  click("Option6");  // the 2012 table compares numbers: +6062 would find 06062
  fill({"03053", "+60628", "+6062", "123456"});
  prompt.expectMessage("Done.");
  click("PushButton17");
  const std::vector<std::string> lines = results();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "No details found for zip code: +6062");
  EXPECT_EQ(lines[1], "No details found for zip code: +6062");
  EXPECT_EQ(lines[2].rfind("Distance between +6062 and 12345 is ", 0), 0u) << lines[2];
}

// A table with more rows than any zip code table is refused once, and then no zip code
// is said to be missing from it.
TEST_F(HostileRun, ATableTooLargeIsRefusedWithoutNotFoundReport) {
  QFile::remove(programFile("dbZips.mdb"));
  make_sqlite(programFile("dbZips.mdb").toStdString(),
              "CREATE TABLE zip_code2016 (zip_code TEXT, lattitude REAL, longitude REAL);"
              "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 2000001)"
              " INSERT INTO zip_code2016 SELECT '03053', 42.8681, -71.3998 FROM c;");
  start();
  fill({"03053", "92018"});
  prompt.expectErrorReport("it has more than 2000000 rows").expectMessage("Done.");
  click("PushButton17");
  EXPECT_EQ(results(), std::vector<std::string>{"No details found for zip code: 03053"});
}

}  // namespace
}  // namespace quorvane::test
