// The settings file as the window reads and writes it: bad lines, keys of every kind,
// files past the limits, and saves that fail.
#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QRadioButton>
#include <QSettings>
#include <csignal>
#include <string>

#include "tests/gui/gui_test_base.h"

namespace quorvane::test {
namespace {

std::string read_all(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string("(missing)");
}

std::string filler_keys(int count) {
  std::string keys;
  for (int i = 0; i < count; ++i) keys += "filler" + std::to_string(i) + "=x\n";
  return keys;
}

class SettingsFileTest : public GuiTest {
 protected:
  void writeSettings(const std::string& bytes) {
    QDir().mkpath(QString::fromStdString(dir_.file("config")));
    write_file(settingsFile().toStdString(), bytes);
  }
  QString whole(const QString& notes) const {
    return QStringLiteral(
               "The settings file %1 could not be read whole. %2 The whole file was "
               "kept as %1.unreadable.")
        .arg(settingsFile(), notes);
  }
};

// Each bad line costs that line alone; keys Qt itself would trip over are kept as they
// stand, however many there are.
TEST_F(SettingsFileTest, EveryKeyThatReadsIsKept) {
  struct Row {
    const char* what;
    std::string file;
    QString notes;          // empty: no message
    std::string kept_line;  // a line that the save at close keeps
  };
  const std::string good = "Option4=True\nZip%20Codes=\"03053;92018;\"\n";
  const Row rows[] = {
      {"a stray line", "[Quorvane]\nOption4=True\nstray line\nZip Codes=\"03053;92018;\"\n",
       "Line 3 could not be read and was skipped.", ""},
      {"stray lines, CR LF", "stray\r\n[Quorvane]\r\n" + good + "[Other]\r\nmore stray\r\nx=1\r\n",
       "2 lines could not be read and were skipped (the first is line 1).", "x=1"},
      {"a key \"/\" and 3,000 filler keys",
       "[Quorvane]\n/=1\n" + filler_keys(3000) + good,
       {},
       "/=1"},
      {"a key \"/\" and 200,000 filler keys",
       "[Quorvane]\n" + filler_keys(200000) + "/=1\n" + good,
       {},
       "filler199999=x"},
      {"keys Qt cannot write back",
       "[Quorvane]\nOther/=1\na\\b=2\n" + good + "[%General]\nb=3\n",
       {},
       "Other/=1"},
      {"a non-ASCII key and value",
       "[Quorvane]\nstra\xc3\x9f"
       "e=\xe4\xb8\xad\n" +
           good,
       {},
       "stra\xc3\x9f"
       "e=\xe4\xb8\xad"},
  };
  for (const bool apart : {false, true})  // as tests read it, and as at a real start
    for (const auto& r : rows) {
      SCOPED_TRACE(std::string(r.what) + (apart ? ", read apart" : ""));
      settings_apart = apart;
      QDir(QString::fromStdString(dir_.file("config"))).removeRecursively();
      writeSettings(r.file);
      if (!r.notes.isEmpty()) prompt.expectMessage(whole(r.notes));
      MainWindow& f = start();
      EXPECT_EQ(entries(), (std::vector<std::string>{"03053", "92018"}));
      EXPECT_TRUE(widget<QRadioButton>("Option4")->isChecked());
      f.zipList().append("60628");
      f.close();  // no error report
      EXPECT_EQ(stored("Zip Codes"), "03053;92018;60628;");
      EXPECT_EQ(stored("Option4"), "True");
      if (!r.kept_line.empty()) {
        EXPECT_NE(read_all(settingsFile()).find(r.kept_line + "\n"), std::string::npos);
      }
      if (!r.notes.isEmpty()) {
        EXPECT_EQ(read_all(settingsFile() + ".unreadable"), r.file);
      }
      prompt.verify();
    }
}

TEST_F(SettingsFileTest, AFileThatIsNoTextIsSetAsideWhole) {
  const std::string files[] = {std::string("\x7f"
                                           "ELF\x02\x01\x01\0\0\0[Quorvane]\nOption4=True\n",
                                           35),
                               std::string("[\0Q\0u\0o\0r\0v\0a\0n\0e\0]\0\n\0", 22)};
  for (const std::string& file : files) {
    QDir(QString::fromStdString(dir_.file("config"))).removeRecursively();
    writeSettings(file);
    prompt.expectMessage(QStringLiteral("The settings file %1 could not be read. Quorvane starts "
                                        "with its default settings; the unreadable file was kept "
                                        "as %1.unreadable.")
                             .arg(settingsFile()));
    MainWindow& f = start();
    EXPECT_FALSE(widget<QRadioButton>("Option4")->isChecked());
    EXPECT_EQ(read_all(settingsFile() + ".unreadable"), file);
    f.close();
    EXPECT_EQ(stored("Zip Codes"), "");
    prompt.verify();
  }
}

// The file is held to a list file's limits: what is past them is not loaded, and the
// whole file is kept beside it before the save at close.
TEST_F(SettingsFileTest, AFilePastTheLimitsLoadsWhatFitsAndIsKept) {
  const std::string entry(999, '7');
  std::string big = "[Quorvane]\nOption4=True\nZip%20Codes=\"";
  const std::size_t whole_entries = (kMaxSettingsFileBytes - big.size()) / (entry.size() + 1);
  while (big.size() <= std::size_t(kMaxSettingsFileBytes) + 5000) big += entry + ";";
  big += "\"\n";
  struct Row {
    const char* what;
    std::string file;
    std::size_t entries;
    QString notes;
  };
  const Row rows[] = {
      {"over 64 MB", big, whole_entries,
       "It is larger than a settings file may be (67108864 bytes, 64 MB): only its first 64 MB "
       "were read."},
      {"over the entries", "[Quorvane]\nOption4=True\nZip%20Codes=\"1;;2;3;4;5;\"\n", 3,
       "Its zip code list holds more than the list's 3 entries: only the first 3 were loaded."},
  };
  for (const bool apart : {false, true})  // as tests read it, and as at a real start
    for (const auto& r : rows) {
      SCOPED_TRACE(std::string(r.what) + (apart ? ", read apart" : ""));
      settings_apart = apart;
      max_list_entries = r.entries == 3 ? 3 : MainWindowEnvironment{}.maxListEntries;
      QDir(QString::fromStdString(dir_.file("config"))).removeRecursively();
      writeSettings(r.file);
      prompt.expectMessage(whole(r.notes));
      MainWindow& f = start();
      ASSERT_EQ(entries().size(), r.entries);
      EXPECT_EQ(entries().back().size(), entries().front().size());  // no entry cut short
      EXPECT_TRUE(widget<QRadioButton>("Option4")->isChecked());
      f.close();
      EXPECT_EQ(read_all(settingsFile() + ".unreadable").size(), r.file.size());
      EXPECT_LE(QFileInfo(settingsFile()).size(), kMaxSettingsFileBytes);
      prompt.verify();
    }
}

// A save that fails (here at a file size limit, as on a full disk) leaves the old file
// whole and no half-written file beside it.
TEST_F(SettingsFileTest, AFailedSaveLeavesTheOldFileWhole) {
  std::string list;
  for (int i = 0; i < 100000; ++i) list += "03053;";
  const std::string before = "[Quorvane]\nZip%20Codes=\"" + list + "\"\n";
  writeSettings(before);
  MainWindow& f = start();
  f.zipList().append("92018");
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit small = saved;
  small.rlim_cur = 500000;
  const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  prompt.expectErrorReport("Cannot save the zip code list to " + settingsFile() +
                           ": File too large");
  f.close();
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, old_handler);
  EXPECT_EQ(read_all(settingsFile()), before);
  const QStringList left =
      QDir(QString::fromStdString(dir_.file("config")))
          .entryList({QStringLiteral(".Kelvarin*")}, QDir::Hidden | QDir::Files);
  EXPECT_TRUE(left.isEmpty()) << left.join(' ').toStdString();
}

// Values written by the store read the same through Qt, and values Qt wrote read the
// same through the store.
TEST_F(SettingsFileTest, ValuesReadTheSameBothWays) {
  const QString values[] = {
      "",
      " 1 ",
      "03053;92018;",
      "a,b",
      "@at",
      "=",
      "tab\there",
      "quote\"d",
      "back\\slash",
      "line\r\nend",
      "\xc3\xa9\xe4\xb8\xad",
      QString::fromUtf8("\xf0\x9f\x98\x80"),
      QString(QChar(0)) + "1f",
      QString(QChar(1)) + "a",
      "\"",
      "[Section]",
      "a;b,c=d",
  };
  for (const QString& v : values) {
    SCOPED_TRACE(v.toStdString());
    {
      SettingsStore ours;
      ours.write("Text1", v);
      ASSERT_TRUE(ours.sync());
    }
    EXPECT_EQ(stored("Text1"), v);
    store("Text1", v);
    EXPECT_EQ(SettingsStore().read("Text1"), v);
  }
}

}  // namespace
}  // namespace quorvane::test
