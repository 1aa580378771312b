#include <QApplication>
#include <QEnterEvent>
#include <QFocusEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QRadioButton>
#include <QTableView>
#include <QTest>

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
      {"Option4", {{"Option3", "False"}, {"Option4", "True"}, {"Option5", "False"}}},
      {"Option5", {{"Option3", "False"}, {"Option4", "False"}, {"Option5", "True"}}},
      {"Option3", {{"Option3", "True"}, {"Option4", "False"}, {"Option5", "False"}}},
      {"Option6", {{"Option7", "False"}, {"Option6", "True"}}},
      {"Option7", {{"Option7", "True"}, {"Option6", "False"}}},
      {"Option2", {{"Option1", "False"}, {"Option2", "True"}}},
      {"Option1", {{"Option1", "True"}, {"Option2", "False"}}},
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
  click("Option3");
  EXPECT_TRUE(widget<QRadioButton>("Option3")->isChecked());
}

TEST_F(GuiTest, ComparisonModeEnablesTheReferenceBox) {
  store("Text1", "60628");
  start();
  auto* text1 = widget<QLineEdit>("Text1");
  click("Option2");
  EXPECT_TRUE(text1->isEnabled());
  click("Option1");
  EXPECT_FALSE(text1->isEnabled());
  EXPECT_EQ(text1->text(), "60628");
  EXPECT_EQ(stored("Text1"), "60628");
}

TEST_F(GuiTest, TypingStoresEveryKeystroke) {
  start();
  click("Option2");
  auto* text1 = widget<QLineEdit>("Text1");
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
  click("Option2");
  auto* text1 = widget<QLineEdit>("Text1");
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
    click("Option2");
    form().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form()));
    text1 = widget<QLineEdit>("Text1");
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
  auto* list = widget<QTableView>("ListView1");
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
  EXPECT_EQ(widget<QLineEdit>("Text1")->text(), long_text);
  click("Option2");
  QTest::keyClicks(widget<QLineEdit>("Text1"), "8");
  EXPECT_EQ(stored("Text1").size(), 40001);
}

TEST_F(GuiTest, DatabaseHelpButton) {
  start();
  for (const char* db : {"Option6", "Option7"}) {
    click(db);
    prompt.expectMessage("Database 2016 is the newer more accurate database.");
    click("PushButton8");
  }
}

TEST_F(GuiTest, PointerOverButtonsAndSurfaces) {
  MainWindow& f = start();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
  const char* buttons[] = {"PushButton1",  "PushButton2", "PushButton3", "PushButton4",
                           "PushButton5",  "PushButton6", "PushButton7", "PushButton8",
                           "PushButton13", "PushButton17"};
  const char* surfaces[] = {"Form1",     "Frame1",    "Frame2", "Frame3",
                            "ListView1", "ListView2", "Text1"};
  auto named = [&](const char* name) -> QWidget* {
    return std::string(name) == "Form1" ? &f : widget<QWidget>(name);
  };
  for (const char* b : buttons) {
    move_over(named(b));
    EXPECT_EQ(f.pointer().value(), kPointerHand) << b;
    move_over(named("Frame1"));
  }
  for (const char* s : surfaces) {
    move_over(named("PushButton4"));
    move_over(named(s));
    EXPECT_EQ(f.pointer().value(), kPointerArrow) << s;
  }
  move_over(widget<QWidget>("PushButton17"));
  move_over(widget<QWidget>("Option3"));  // no handler: the hand stays
  EXPECT_EQ(f.pointer().value(), kPointerHand);
  f.pointer().set(kPointerHourglass);
  move_over(widget<QWidget>("PushButton6"));
  move_over(widget<QWidget>("Frame1"));
  EXPECT_EQ(f.pointer().value(), kPointerHourglass);
}

TEST_F(GuiTest, PointerFollowsRealMovesOverTheWindow) {
  MainWindow& f = start();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
  auto move_to = [&](const char* name) {
    move_over(std::string(name) == "Form1" ? &f : widget<QWidget>(name));
  };
  struct Step {
    const char* over;
    int pointer;
  };
  const Step steps[] = {
      {"PushButton17", kPointerHand},
      {"Option3", kPointerHand},  // straight from a button onto an option in a frame: kept
      {"Frame2", kPointerArrow},
      {"PushButton4", kPointerHand},
      {"ProgressBar1", kPointerHand},  // no handler: kept
      {"ListView2", kPointerArrow},
      {"PushButton8", kPointerHand},  // a button inside a frame
      {"Option7", kPointerHand},
      {"Text1", kPointerArrow},
      {"PushButton6", kPointerHand},
      {"Form1", kPointerArrow},
      {"PushButton1", kPointerHand},
      {"Option1", kPointerHand},
      {"ListView1", kPointerArrow},
  };
  for (const auto& s : steps) {
    move_to(s.over);
    EXPECT_EQ(f.pointer().value(), s.pointer) << "over " << s.over;
  }
  f.pointer().set(kPointerHourglass);
  for (const char* name : {"PushButton6", "Frame1", "ListView2"}) {
    move_to(name);
    EXPECT_EQ(f.pointer().value(), kPointerHourglass) << "over " << name;
  }
}

}  // namespace
}  // namespace quorvane::test
