#include "engine/zip_clean.h"

#include <gtest/gtest.h>

#include <string>

namespace quorvane {
namespace {

struct Cell {
  std::string text;
  std::string zip;  // empty: not a zip code
  bool cleaned;
};

TEST(ZipCleanTest, ReadsCellsAsSpreadsheetsWriteThem) {
  const Cell cells[] = {
      {"02134", "02134", false},
      {" 02134 ", "02134", true},
      {"\t02134", "02134", true},
      {"'02134", "02134", true},
      {"=\"02134\"", "02134", true},
      {"02134-1234", "02134", true},
      {"02134 1234", "02134", true},
      {"021341234", "02134", true},
      {"2134", "02134", true},
      {"501", "00501", true},
      {"2134.0", "02134", true},
      {"2134.00", "02134", true},
      {"0", "00000", true},
      {"'2134", "02134", true},
      // Near misses keep their row as not a zip code.
      {"", "", false},
      {"   ", "", false},
      {"2134.5", "", false},
      {"2134.", "", false},
      {"02134-123", "", false},
      {"02134--1234", "", false},
      {"0213412345", "", false},
      {"213412", "", false},
      {"+60628", "", false},
      {"-2134", "", false},
      {"6e4", "", false},
      {"０２１３４", "", false},
      {"02134\r", "", false},
      {"=02134", "", false},
      {"''02134", "", false},
      {"=\"02134", "", false},
      {"ab123", "", false},
      {"02 134", "", false},
  };
  for (const Cell& c : cells) {
    const CleanZip z = clean_zip(c.text);
    EXPECT_EQ(z.zip(), c.zip) << '"' << c.text << '"';
    if (z.ok()) {
      EXPECT_EQ(z.cleaning == Cleaning::Cleaned, c.cleaned) << '"' << c.text << '"';
    }
  }
}

TEST(ZipCleanTest, StrictTakesOnlyFiveDigits) {
  EXPECT_EQ(clean_zip("02134", true).zip(), "02134");
  for (const char* text : {" 02134", "'02134", "2134", "02134-1234", "021341234"})
    EXPECT_FALSE(clean_zip(text, true).ok()) << text;
}

}  // namespace
}  // namespace quorvane
