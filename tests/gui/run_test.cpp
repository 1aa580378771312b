#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTimer>
#include <random>

#include "app/caption_progress_bar.h"
#include "output/yielder.h"
#include "tests/gui/controls.h"
#include "tests/gui/gui_test_base.h"

namespace quorvane::test {
namespace {

const char* kSentence1 = "Distance between 03053 and 92018 is 2556.52 miles";
const char* kSentence2 = "Distance between 92018 and 60628 is 1724.21 miles";

class RunTest : public GuiTest {
 protected:
  void fill(std::initializer_list<const char*> zips) {
    for (const char* z : zips) form().zipList().append(z);
    form().zipList().flush();
  }
  void run() { click(kStartRun); }
};

TEST_F(RunTest, ConsecutiveModeOnTheSample) {
  start();
  fill({"03053", "92018", "60628"});
  prompt.expectMessage("Done.");
  run();
  EXPECT_EQ(results(), (std::vector<std::string>{kSentence1, kSentence2}));
  for (std::size_t i = 0; i < 2; ++i) EXPECT_TRUE(form().results().isChecked(i));
  EXPECT_EQ(form().pointer().shape(), PointerShape::Arrow);
  EXPECT_FALSE(form().runInProgress());
}

// The view lays its rows out at every announcement: a run tells it of new rows a few
// times a second, not once per row.
TEST_F(RunTest, ARunAnnouncesRowsAFewTimesASecond) {
  start();
  for (int i = 0; i < 100000; ++i) form().zipList().append(i % 2 ? "03053" : "92018");
  form().zipList().flush();
  QSignalSpy announced(&form().results(), &QAbstractItemModel::rowsInserted);
  QElapsedTimer clock;
  clock.start();
  prompt.expectMessage("Done.");
  run();
  EXPECT_EQ(form().results().rowCount(), 99999);
  EXPECT_LE(announced.count(), 2 + clock.elapsed() / 200);
}

TEST_F(RunTest, ReferenceModeWithEachWording) {
  start();
  fill({"03053", "92018", "60628"});
  click(kReferenceMode);
  widget<QLineEdit>(kReferenceZip)->setText(" 03053 ");
  struct Row {
    const char* option;
    std::vector<std::string> lines;
  };
  const Row rows[] = {
      {kSentenceWording,
       {"Distance between 03053 and 03053 is 0 miles",
        "Distance between 92018 and 03053 is 2556.52 miles",
        "Distance between 60628 and 03053 is 832.37 miles"}},
      {kZipsAndDistanceWording,
       {"03053 to 03053: 0 miles", "92018 to 03053: 2556.52 miles",
        "60628 to 03053: 832.37 miles"}},
      {kDistanceOnlyWording, {"0 miles", "2556.52 miles", "832.37 miles"}},
  };
  for (const auto& r : rows) {
    click(r.option);
    prompt.expectMessage("Done.");
    run();
    EXPECT_EQ(results(), r.lines) << r.option;
  }
  click(kTable2012);
  prompt.expectMessage("Done.");
  run();
  EXPECT_EQ(results()[1], "2557.03 miles");
}

TEST_F(RunTest, NonNumericEntrySkipsItsOwnPairOnly) {
  start();
  fill({"03053", "ABC", "60628"});
  prompt.expectMessage("Done.");
  run();
  EXPECT_EQ(results(), std::vector<std::string>{"No details found for zip code: ABC"});
}

TEST_F(RunTest, EntriesAreTrimmedAndCutToFive) {
  start();
  fill({"  123456", "60628 "});
  prompt.expectMessage("Done.");
  run();
  EXPECT_EQ(results(),
            std::vector<std::string>{"Distance between 12345 and 60628 is 703.04 miles"});
}

TEST_F(RunTest, NoModeSelectedAddsNothing) {
  store("Option1", "False");
  store("Option2", "False");
  start();
  fill({"03053", "92018"});
  prompt.expectMessage("Done.");
  run();
  EXPECT_TRUE(results().empty());
}

TEST_F(RunTest, NoWordingSelectedGivesEmptyLinesForFoundPairs) {
  store("Option3", "False");
  start();
  fill({"03053", "92018", "99999", "60628"});
  prompt.expectMessage("Done.");
  run();
  EXPECT_EQ(results(), (std::vector<std::string>{"", "No details found for zip code: 99999",
                                                 "No details found for zip code: 99999"}));
}

// The bar shows the entry being processed whenever the window is drawn; a window
// that yields at every entry draws each one.
TEST_F(RunTest, ProgressGoesThroughEveryEntry) {
  start();
  Yielder::setAlwaysForTesting(true);
  fill({"03053", "x", "92018", "60628"});
  form().progressBar().startLog();
  prompt.expectMessage("Done.");
  run();
  std::vector<double> values;
  std::vector<QString> texts;
  for (const auto& e : form().progressBar().log())
    e.value >= 0 ? values.push_back(e.value) : texts.push_back(e.text);
  EXPECT_EQ(values, (std::vector<double>{25, 50, 75, 100, 0}));
  EXPECT_EQ(texts, (std::vector<QString>{"Processing: 03053", "Processing: x", "Processing: 92018",
                                         "Processing: 60628", "Progress Bar"}));
}

TEST_F(RunTest, CaptionNamesTheEntryAfterItsLastBackslash) {
  start();
  Yielder::setAlwaysForTesting(true);
  fill({"12/34", "C:\\lists\\60628", "ends\\"});
  form().progressBar().startLog();
  prompt.expectMessage("Done.");
  run();
  std::vector<QString> texts;
  for (const auto& e : form().progressBar().log())
    if (e.value < 0) texts.push_back(e.text);
  EXPECT_EQ(texts, (std::vector<QString>{"Processing: 12/34", "Processing: 60628",
                                         "Processing: ", "Progress Bar"}));
}

TEST_F(RunTest, ZeroCoordinatesAreNamedAtTheEnd) {
  start();
  click(kTable2012);  // the 2012 table keeps military zip codes at 0, 0
  fill({"03053", "34001", "09002", "60628"});
  prompt
      .expectMessage(
          "Latitude and longitude for zip codes: \r\n34001, 34001, 09002\r\ncould not be found "
          "in the database. \r\nPlease use another location that is close to your desired "
          "location.")
      .then([&] {  // the bar still shows the last entry behind the message
        EXPECT_EQ(form().progressBar().text(), "Processing: 60628");
        EXPECT_EQ(form().progressBar().progressValue(), 100);
      })
      .expectMessage("Done.");
  run();
  EXPECT_EQ(results(), (std::vector<std::string>{"No details found for zip code: 34001",
                                                 "No details found for zip code: 34001",
                                                 "No details found for zip code: 09002"}));
  // The next run starts with empty lists.
  form().zipList().clear();
  fill({"03053", "92018"});
  prompt.expectMessage("Done.");
  run();
  EXPECT_EQ(results().size(), 1u);
  EXPECT_EQ(form().engine().not_found_zips, "");
}

TEST_F(RunTest, EmptyListSaysSoAndTouchesNothing) {
  start();
  form().results().append("kept", true);
  prompt.expectMessage("No zip codes added.");
  run();
  EXPECT_EQ(results(), std::vector<std::string>{"kept"});
  EXPECT_FALSE(form().runInProgress());
}

TEST_F(RunTest, MissingDatabaseIsReportedOncePerRun) {
  QFile::remove(programFile("dbZips.mdb"));
  start();
  for (int i = 0; i < 200; ++i) form().zipList().append(i % 2 ? "03053" : "92018");
  form().zipList().flush();
  // No zip code is then said to be missing from a database that could not be read.
  prompt.expectErrorReport("Cannot read the zip code database " + programFile("dbZips.mdb"));
  prompt.expectMessage("Done.");
  run();
  EXPECT_EQ(results().size(), 199u);
}

TEST_F(RunTest, CommandsInTheMiddleOfARun) {
  start();
  Yielder::setAlwaysForTesting(true);
  fill({"03053", "92018", "60628", "03053"});
  int step = 0;
  // Runs at the yields of the run, which yields once per entry here.
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    if (!form().runInProgress()) return;
    if (step == 0) {
      click(kClearList);   // busy: the list stays, the reference goes
      click(kLoadSample);  // adding works
      click(kStartRun);    // a second run is ignored
      step = 1;
    } else if (step == 1 && form().results().size() == 1) {
      click(kDistanceOnlyWording);  // once the first line is in: takes effect from the next entry
      step = 2;
    }
  });
  ticker.start(0);
  prompt.expectMessage("Done.");
  run();
  ticker.stop();
  // The loop bound stays at 4, but entry 4 now has a successor to compare with.
  EXPECT_EQ(entries().size(), 6u);
  EXPECT_EQ(widget<QLineEdit>(kReferenceZip)->text(), "60628");
  EXPECT_EQ(results(),
            (std::vector<std::string>{kSentence1, "1724.21 miles", "832.37 miles", "0 miles"}));
}

TEST_F(RunTest, EntriesRemovedDuringARunEndIt) {
  start();
  Yielder::setAlwaysForTesting(true);
  fill({"03053", "92018", "60628", "03053", "92018"});
  QTimer::singleShot(0, [&] {
    form().pointer().set(PointerShape::Arrow);  // as another command would leave it
    form().zipList().removeAt(4);
    form().zipList().removeAt(3);
    form().zipList().removeAt(2);
  });
  prompt.expectMessage("Done.");
  run();
  EXPECT_EQ(results().size(), 1u);
}

// Blocks compared on several threads give the lines, checks and messages of one thread:
// seeded lists with every kind of entry, long enough for many blocks.
TEST_F(RunTest, EveryNumberOfThreadsGivesTheSameRun) {
  const std::vector<const char*> kinds = {
      "03053",      "92018",   "60628",  "34001" /* zero coordinates */,
      "09002",      "00000",   "99999",  "ABCDE",
      "",           " 60628 ", "+60628", "0305\xc3\xa9",
      "12345-6789", "6.0e4"};
  for (const bool by_reference : {false, true}) {
    std::vector<std::string> first_lines;
    QStringList first_shown;
    for (const unsigned threads : {1u, 2u, 3u}) {
      SCOPED_TRACE(testing::Message()
                   << "threads " << threads << ", by reference " << by_reference);
      run_threads = threads;
      start();
      click(kTable2012);
      if (by_reference) {
        click(kReferenceMode);
        widget<QLineEdit>(kReferenceZip)->setText("92018");
      }
      std::mt19937 rng(23);
      std::uniform_int_distribution<std::size_t> pick(0, kinds.size() - 1);
      for (int i = 0; i < 30000; ++i) form().zipList().append(kinds[pick(rng)]);
      form().zipList().flush();
      const qsizetype before = prompt.shown().size();
      // An entry that is not a number is looked up only as the second of a pair.
      if (!by_reference)
        prompt.expectErrorReport("Syntax error in query expression 'zip_code=0305\xc3\xa9'");
      prompt.expectAnyMessage().expectMessage("Done.");
      run();
      prompt.verify();
      const QStringList shown = prompt.shown().mid(before);
      ASSERT_EQ(shown.size(), by_reference ? 2 : 3);
      EXPECT_TRUE(shown[shown.size() - 2].contains("34001, 09002"));
      if (threads == 1) {
        first_lines = results();
        first_shown = shown;
        EXPECT_GT(first_lines.size(), 20000u);
        continue;
      }
      EXPECT_EQ(results(), first_lines);
      EXPECT_EQ(shown, first_shown);
    }
  }
}

TEST_F(RunTest, ClosingDuringARunSavesTheListAndStops) {
  start();
  Yielder::setAlwaysForTesting(true);
  fill({"03053", "92018", "60628"});
  QTimer::singleShot(0, [&] { form().close(); });
  run();  // no "Done."
  EXPECT_EQ(stored("Zip Codes"), "03053;92018;60628;");
  EXPECT_LT(results().size(), 2u);
}

}  // namespace
}  // namespace quorvane::test
