#include <gtest/gtest.h>

#include "engine/error_trap.h"
#include "tests/support/test_db.h"

namespace quorvane {
namespace {

TEST(Trap, ReportTextAndResumeAtNextStatement) {
  test::CapturedReports captured;
  Trap trap("modZipDistance", "GetDistance");
  std::vector<int> ran;
  trap.line(100, [&] { ran.push_back(100); });
  trap.line(102, [&] { throw RuntimeError(5, "Invalid procedure call or argument"); });
  trap.line(104, [&] { ran.push_back(104); });
  EXPECT_EQ(ran, (std::vector<int>{100, 104}));
  ASSERT_EQ(captured.size(), 1u);
  EXPECT_EQ(captured.reports()[0].text(),
            "Invalid procedure call or argument\r\nin "
            "Brisholt2021/08/31.modZipDistance.GetDistance at line 102\r\r"
            "Please email screenshot of this message to " +
                std::string(kSupportEmail));
}

TEST(Trap, FailingConditionEntersTheBranch) {
  test::CapturedReports captured;
  Trap trap("Form1", "Form_Load");
  EXPECT_TRUE(trap.test(168, []() -> bool { throw RuntimeError(13, "Type mismatch"); }));
  EXPECT_FALSE(trap.test(172, [] { return false; }));
  ASSERT_EQ(captured.size(), 1u);
  EXPECT_EQ(captured.reports()[0].line, 168);
  EXPECT_EQ(captured.reports()[0].location, "Brisholt2021/08/31.Form1.Form_Load");
}

}  // namespace
}  // namespace quorvane
