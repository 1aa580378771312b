#include "output/clipboard.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>

#include "tests/output/table_source.h"

namespace quorvane {
namespace {

TEST(ClipboardText, ExactText) {
  struct Row {
    const char* name;
    test::TableSource list;
    const char* text;
  };
  test::TableSource two;
  two.headers = {"A", "B"};
  two.add({"a", "x"});
  two.add({"bbb", "yy"});
  test::TableSource one;
  one.headers = {"Results"};
  one.add({"  lead"});
  one.add({"trail   "});
  one.add({"skipped but measured long"}, false);
  test::TableSource unchecked;
  unchecked.headers = {"Results"};
  unchecked.add({"x"}, false);
  test::TableSource padded_last;
  padded_last.headers = {"A", "B"};
  padded_last.add({"a", "x"});
  padded_last.add({"b", "long"});
  const Row rows[] = {
      {"two columns", two, "a  \tx\r\nbbb\tyy\r\n"},
      {"one column", one, "  lead\r\ntrail\r\n"},
      {"all unchecked", unchecked, ""},
      {"last cell's padding removed", padded_last, "a\tx\r\nb\tlong\r\n"},
  };
  for (const auto& r : rows) {
    Yielder yield;
    EXPECT_EQ(clipboard_text(r.list, yield), r.text) << r.name;
  }
}

TEST(Clipboard, EmptyListLeavesTheClipboardAlone) {
  QGuiApplication::clipboard()->setText("keep me");
  test::TableSource empty;
  empty.headers = {"Results"};
  Yielder yield;
  copy_checked_rows(empty, yield);
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "keep me");

  test::TableSource unchecked;
  unchecked.headers = {"Results"};
  unchecked.add({"x"}, false);
  copy_checked_rows(unchecked, yield);
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "");

  test::TableSource two;
  two.headers = {"Results"};
  two.add({"7 miles"});
  copy_checked_rows(two, yield);
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "7 miles\r\n");
}

}  // namespace
}  // namespace quorvane
