// A stored list that needs no decoding is restored from the file's own bytes: it must
// give what decoding it would give, and any other value is decoded as before.
#include <QDir>
#include <string>
#include <vector>

#include "app/settings_file.h"
#include "tests/gui/gui_test_base.h"

namespace quorvane::test {
namespace {

const QStringList kKeys = {QStringLiteral("Quorvane/Other"), QStringLiteral("Quorvane/Zip Codes")};

TEST(SettingsPlainValue, ReadsAsTheDecodedValue) {
  struct Row {
    const char* what;
    std::string value;  // as the line holds it after "="
    bool plain;
  };
  const Row rows[] = {
      {"zip codes", "\"03053;92018;\"", true},
      {"blanks around, a comma inside", " \t\"a,b; c \"  ", true},
      {"empty", "\"\"", true},
      {"two to four bytes a character",
       "\"caf\xc3\xa9;\xe4\xb8\xad;\xf0\x9f\x98\x80;\xef\xbf\xbe\"", true},
      {"CR LF and NUL inside quotes", std::string("\"a\r\nb;\0;c\rd\"", 12), true},
      {"a comment after it", "\"a;b\" ;c", true},
      {"an escape", "\"a\\nb;\\x41;\"", false},
      {"a doubled backslash", "\"a\\\\b\"", false},
      {"an \"@\" first", "\"@@x;\"", false},
      {"byte order mark",
       "\"\xef\xbb\xbf"
       "03053;\"",
       false},
      {"a lone continuation byte", "\"x;\x80;\"", false},
      {"a cut character", "\"x;\xc3\"", false},
      {"an overlong form", "\"\xc0\xaf;\xe0\x80\xaf\"", false},
      {"a surrogate", "\"\xed\xa0\x80;\"", false},
      {"beyond U+10FFFF", "\"\xf4\x90\x80\x80\"", false},
      {"unquoted", "03053", false},
      {"text after the quotes", "\"a\"b", false},
      {"two quoted parts", "\"a\",\"b\"", false},
      {"a half-written line", "\"03053;920", false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    SettingsText text(kKeys);
    ASSERT_TRUE(text.parse(QByteArray::fromStdString("[Quorvane]\nZip%20Codes=" + r.value)));
    const auto plain = text.plainValue(1);
    ASSERT_EQ(plain.has_value(), r.plain);
    const auto value = text.value(1);
    ASSERT_TRUE(value.has_value());
    if (plain) {
      EXPECT_EQ(value->toUtf8(), plain->toByteArray());
    }
  }
  // A long value read sixteen bytes at a time: an escape, a character of two bytes and a
  // lone continuation byte at each place of the first three blocks.
  for (std::size_t at = 0; at < 48; ++at) {
    for (const auto& [inside, plain] :
         {std::pair{"\\n", false}, {"\xc3\xa9", true}, {"\x80", false}}) {
      std::string value(60, 'z');
      value.insert(at, inside);
      SettingsText text(kKeys);
      ASSERT_TRUE(
          text.parse(QByteArray::fromStdString("[Quorvane]\nZip%20Codes=\"" + value + "\"")));
      EXPECT_EQ(text.plainValue(1).has_value(), plain) << at << " " << inside;
    }
  }
  // The last of two lines, as value() reads it.
  SettingsText twice(kKeys);
  ASSERT_TRUE(twice.parse("[Quorvane]\nZip%20Codes=\"a;\"\nZip%20Codes=\"b;\"\n"));
  EXPECT_EQ(twice.plainValue(1)->toByteArray(), "b;");
  EXPECT_FALSE(twice.plainValue(0).has_value());
}

// A line that ends with an escaped line end, which continues it with nothing, keeps the
// lines written after it apart from it, however it came to end so.
TEST(SettingsText, ALineEndingInAnEscapedLineEndLeavesTheNextLineAlone) {
  const std::pair<const char*, std::string> rows[] = {
      {"CR, then the end", "a=1\\\r"},
      {"CR twice, then the end", "a=1\\\r\\\r"},
      {"LF CR, then the end", "a=1\\\n\r"},
      {"CR, then a line end of its own", "[Quorvane]\nq=1\\\r\rOther=2\n"},
      {"in the group, before the key", "[Quorvane]\nOther=1\\\r\\\r\rZip%20Codes=a\n"},
      {"a lone backslash at the end", "a=1\\\r\\"},
      {"an open quote", "a=\"1\\\r"},
      {"an escaped backslash, then CR", "[Quorvane]\nOther=1\\\\\r"},
  };
  for (const auto& [what, bytes] : rows) {
    SCOPED_TRACE(what);
    SettingsText text(kKeys);
    ASSERT_TRUE(text.parse(QByteArray::fromStdString(bytes)));
    const auto other = text.value(0);
    const QByteArray saved = text.render({{1, QStringLiteral("x;")}});
    SettingsText again(kKeys);
    ASSERT_TRUE(again.parse(saved));
    EXPECT_EQ(again.value(1), QStringLiteral("x;")) << saved.toStdString();
    EXPECT_EQ(again.value(0), other) << saved.toStdString();
  }
}

class SettingsPlainTest : public GuiTest {};

TEST_F(SettingsPlainTest, TheWindowRestoresTheSameEntries) {
  struct Row {
    const char* what;
    std::string line;
    std::vector<std::string> entries;
  };
  const Row rows[] = {
      {"plain", "Zip%20Codes=\";03053;;92018;\"\n", {"03053", "92018"}},
      {"non-ASCII",
       "Zip%20Codes=\"caf\xc3\xa9;\xf0\x9f\x98\x80\"\n",
       {"caf\xc3\xa9", "\xf0\x9f\x98\x80"}},
      {"CR LF in an entry", "Zip%20Codes=\"a\r\nb;c\"\r\n", {"a\r\nb", "c"}},
      {"escaped", "Zip%20Codes=\"a\\x41;\\\"b\\\";\"\n", {"aA", "\"b\""}},
      {"not UTF-8", "Zip%20Codes=\"x;\xc3(;\"\n", {"x", "\xef\xbf\xbd("}},
      {"half-written", "Zip%20Codes=\"03053;920", {"03053", "920"}},
      {"long entries",
       "Zip%20Codes=\"" + std::string(40, 'a') + ";b;" + std::string(17, 'c') + "\"",
       {std::string(40, 'a'), "b", std::string(17, 'c')}},
  };
  // Each file read as tests read it, and as at a real start: on a thread of its own,
  // the list split there.
  for (const bool apart : {false, true}) {
    for (const Row& r : rows) {
      SCOPED_TRACE(std::string(r.what) + (apart ? ", read apart" : ""));
      settings_apart = apart;
      QDir(QString::fromStdString(dir_.file("config"))).removeRecursively();
      QDir().mkpath(QString::fromStdString(dir_.file("config")));
      write_file(settingsFile().toStdString(), "[Quorvane]\n" + r.line);
      MainWindow& f = start();
      EXPECT_EQ(entries(), r.entries);
      const QString joined = f.settings().read(QStringLiteral("Zip Codes"));
      std::vector<std::string> read_back;
      for (const QString& piece : joined.split(QLatin1Char(';')))
        if (!piece.isEmpty()) read_back.push_back(piece.toStdString());
      EXPECT_EQ(read_back, r.entries);
      prompt.verify();
    }
  }
}

}  // namespace
}  // namespace quorvane::test
