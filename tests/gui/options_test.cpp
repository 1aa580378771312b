#include <QApplication>
#include <QEnterEvent>
#include <QFocusEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QRadioButton>
#include <QTest>

#include "app/list_view.h"
#include "tests/gui/controls.h"
#include "tests/gui/gui_test_base.h"
#include "tests/support/pointer_events.h"

namespace quorvane::test {
namespace {

TEST_F(GuiTest, EachOptionStoresItsFrame) {
  struct Row {
    const char* option;
    std::vector<std::pair<const char*, const char*>> keys;
  };
  const Row rows[] = {
      {kZipsAndDistanceWording, {{"Option3", "False"}, {"Option4", "True"}, {"Option5", "False"}}},
      {kDistanceOnlyWording, {{"Option3", "False"}, {"Option4", "False"}, {"Option5", "True"}}},
      {kSentenceWording, {{"Option3", "True"}, {"Option4", "False"}, {"Option5", "False"}}},
      {kTable2012, {{"Option7", "False"}, {"Option6", "True"}}},
      {kTable2016, {{"Option7", "True"}, {"Option6", "False"}}},
      {kReferenceMode, {{"Option1", "False"}, {"Option2", "True"}}},
      {kConsecutiveMode, {{"Option1", "True"}, {"Option2", "False"}}},
  };
  start();
  for (const auto& r : rows) {
    click(r.option);
    EXPECT_TRUE(widget<QRadioButton>(r.option)->isChecked());
    for (const auto& [key, value] : r.keys) EXPECT_EQ(stored(key), value) << r.option << " " << key;
  }
}

TEST_F(GuiTest, ClickingTheSelectedOptionKeepsItSelected) {
  start();
  click(kSentenceWording);
  EXPECT_TRUE(widget<QRadioButton>(kSentenceWording)->isChecked());
}

TEST_F(GuiTest, ComparisonModeEnablesTheReferenceBox) {
  store("Text1", "60628");
  start();
  auto* text1 = widget<QLineEdit>(kReferenceZip);
  click(kReferenceMode);
  EXPECT_TRUE(text1->isEnabled());
  click(kConsecutiveMode);
  EXPECT_FALSE(text1->isEnabled());
  EXPECT_EQ(text1->text(), "60628");
  EXPECT_EQ(stored("Text1"), "60628");
}

TEST_F(GuiTest, TypingStoresEveryKeystroke) {
  start();
  click(kReferenceMode);
  auto* text1 = widget<QLineEdit>(kReferenceZip);
  std::vector<QString> seen;
  for (const char* key : {"6", "0", "6", "2", "8"}) {
    QTest::keyClicks(text1, key);
    seen.push_back(stored("Text1"));
  }
  EXPECT_EQ(seen, (std::vector<QString>{"6", "60", "606", "6062", "60628"}));
}

TEST_F(GuiTest, LeavingTheReferenceBoxChecksItsFirstFiveCharacters) {
  struct Row {
    const char* text;
    bool refused;
  };
  const Row rows[] = {{"12a45", true},     {"123456789", false}, {"1234", false},
                      {"12345abc", false}, {" 60628 ", false},   {"", false},
                      {"   ", false},      {"ABC", true}};
  start();
  click(kReferenceMode);
  auto* text1 = widget<QLineEdit>(kReferenceZip);
  for (const auto& r : rows) {
    text1->setText(r.text);
    if (r.refused) prompt.expectMessage("Must be numeric.");
    form().checkReferenceZip();
    prompt.verify();
    EXPECT_EQ(text1->text(), r.refused ? "" : r.text) << r.text;
    EXPECT_EQ(stored("Text1"), r.refused ? "" : r.text) << r.text;
  }
}

// "12a45" typed into the reference box, which has the focus of the active window.
class ReferenceBoxFocusTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    start();
    click(kReferenceMode);
    form().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form()));
    text1 = widget<QLineEdit>(kReferenceZip);
    text1->setFocus(Qt::MouseFocusReason);
    QTest::keyClicks(text1, "12a45");
    ASSERT_TRUE(text1->hasFocus());
  }
  void expectRefused() {
    prompt.verify();
    EXPECT_EQ(text1->text(), "");
    EXPECT_EQ(stored("Text1"), "");
    EXPECT_TRUE(text1->hasFocus());
  }
  void expectKept() {
    prompt.verify();  // no "Must be numeric."
    EXPECT_EQ(text1->text(), "12a45");
    EXPECT_EQ(stored("Text1"), "12a45");
  }
  QLineEdit* text1 = nullptr;
};

TEST_F(ReferenceBoxFocusTest, TabToTheNextControlChecksIt) {
  prompt.expectMessage("Must be numeric.");
  QTest::keyClick(text1, Qt::Key_Tab);
  expectRefused();
}

TEST_F(ReferenceBoxFocusTest, ClickOnAnotherControlChecksIt) {
  prompt.expectMessage("Must be numeric.");
  auto* list = widget<ListView>(kZipList);
  QTest::mouseClick(list->viewport(), Qt::LeftButton);
  expectRefused();
}

TEST_F(ReferenceBoxFocusTest, AnotherWindowTakingTheFocusDoesNot) {
  QWidget other;
  other.show();
  other.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
  EXPECT_FALSE(text1->hasFocus());
  expectKept();
  form().activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form()));
  EXPECT_TRUE(text1->hasFocus());
  expectKept();
}

TEST_F(ReferenceBoxFocusTest, MessageBoxOverTheWindowDoesNot) {
  QMessageBox box(QMessageBox::NoIcon, "Quorvane", "Done.", QMessageBox::Ok, &form());
  box.open();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&box));
  expectKept();
  box.accept();
}

TEST_F(ReferenceBoxFocusTest, ClosingTheWindowDoesNot) {
  form().close();
  expectKept();
}

TEST_F(GuiTest, ReferenceBoxHasNoLengthLimit) {
  const QString long_text(40000, QLatin1Char('7'));
  store("Text1", long_text);
  start();
  EXPECT_EQ(widget<QLineEdit>(kReferenceZip)->text(), long_text);
  click(kReferenceMode);
  QTest::keyClicks(widget<QLineEdit>(kReferenceZip), "8");
  EXPECT_EQ(stored("Text1").size(), 40001);
}

TEST_F(GuiTest, DatabaseHelpButton) {
  start();
  for (const char* db : {kTable2012, kTable2016}) {
    click(db);
    prompt.expectMessage("Database 2016 is the newer more accurate database.");
    click(kExplainTables);
  }
}

TEST_F(GuiTest, PointerOverButtonsAndSurfaces) {
  MainWindow& f = start();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
  const char* buttons[] = {kClearList,   kClearResults, kLoadListFile,  kSaveText,     kCopyResults,
                           kAddZipCodes, kLoadSample,   kExplainTables, kSaveWorkbook, kStartRun};
  const char* surfaces[] = {kWindow,  kComparisonFrame, kResultsFrame, kTableFrame,
                            kZipList, kResultList,      kReferenceZip};
  auto named = [&](const char* name) -> QWidget* {
    return std::string_view(name) == kWindow ? &f : widget<QWidget>(name);
  };
  for (const char* b : buttons) {
    move_over(named(b));
    EXPECT_EQ(f.pointer().shape(), PointerShape::Hand) << b;
    move_over(named(kComparisonFrame));
  }
  for (const char* s : surfaces) {
    move_over(named(kSaveText));
    move_over(named(s));
    EXPECT_EQ(f.pointer().shape(), PointerShape::Arrow) << s;
  }
  move_over(widget<QWidget>(kStartRun));
  move_over(widget<QWidget>(kSentenceWording));  // no handler: the hand stays
  EXPECT_EQ(f.pointer().shape(), PointerShape::Hand);
  f.pointer().set(PointerShape::Hourglass);
  move_over(widget<QWidget>(kAddZipCodes));
  move_over(widget<QWidget>(kComparisonFrame));
  EXPECT_EQ(f.pointer().shape(), PointerShape::Hourglass);
}

TEST_F(GuiTest, PointerFollowsRealMovesOverTheWindow) {
  MainWindow& f = start();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
  auto move_to = [&](const char* name) {
    move_over(std::string_view(name) == kWindow ? &f : widget<QWidget>(name));
  };
  struct Step {
    const char* over;
    PointerShape pointer;
  };
  const Step steps[] = {
      {kStartRun, PointerShape::Hand},
      {kSentenceWording,
       PointerShape::Hand},  // straight from a button onto an option in a frame: kept
      {kResultsFrame, PointerShape::Arrow},
      {kSaveText, PointerShape::Hand},
      {kProgressBar, PointerShape::Hand},  // no handler: kept
      {kResultList, PointerShape::Arrow},
      {kExplainTables, PointerShape::Hand},  // a button inside a frame
      {kTable2016, PointerShape::Hand},
      {kReferenceZip, PointerShape::Arrow},
      {kAddZipCodes, PointerShape::Hand},
      {kWindow, PointerShape::Arrow},
      {kClearList, PointerShape::Hand},
      {kConsecutiveMode, PointerShape::Hand},
      {kZipList, PointerShape::Arrow},
  };
  for (const auto& s : steps) {
    move_to(s.over);
    EXPECT_EQ(f.pointer().shape(), s.pointer) << "over " << s.over;
  }
  f.pointer().set(PointerShape::Hourglass);
  for (const char* name : {kAddZipCodes, kComparisonFrame, kResultList}) {
    move_to(name);
    EXPECT_EQ(f.pointer().shape(), PointerShape::Hourglass) << "over " << name;
  }
}

}  // namespace
}  // namespace quorvane::test
