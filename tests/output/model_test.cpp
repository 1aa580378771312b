#include <gtest/gtest.h>
#include <sys/mman.h>

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <random>

#include "engine/error_trap.h"
#include "output/byte_count.h"
#include "output/text_list_model.h"

namespace quorvane {
namespace {

TEST(TextListModel, BehavesAsAnItemModel) {
  TextListModel model("Results", true);
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
  QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
  for (int i = 0; i < 1000; ++i) model.append("line " + std::to_string(i), i % 2 == 0);
  EXPECT_EQ(model.rowCount(), 0);  // views hear of appends at the flush
  EXPECT_EQ(model.size(), 1000u);
  model.flush();
  EXPECT_EQ(inserted.count(), 1);
  EXPECT_EQ(model.rowCount(), 1000);
  EXPECT_EQ(model.rowCount(model.index(3)), 0);
  EXPECT_EQ(model.data(model.index(3), Qt::DisplayRole).toString(), "line 3");
  EXPECT_EQ(model.data(model.index(3), Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Unchecked);
  EXPECT_TRUE(model.setData(model.index(3), Qt::Checked, Qt::CheckStateRole));
  EXPECT_TRUE(model.isChecked(3));
  model.append("tail");
  model.removeAt(0);  // announces the pending append first
  EXPECT_EQ(model.rowCount(), 1000);
  EXPECT_EQ(model.text(999), "tail");
  EXPECT_EQ(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), "Results");
  model.clear();
  EXPECT_EQ(model.rowCount(), 0);
}

// Rows share one buffer: removing any row keeps every other row's text and check.
TEST(TextListModel, RemovingARowKeepsTheOthersWhole) {
  for (std::size_t removed : {0u, 1u, 4u}) {
    TextListModel model("Results", true);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    const std::vector<std::string> texts = {"", "a", "bb", "", "ccc"};
    for (std::size_t i = 0; i < texts.size(); ++i) model.append(texts[i], i % 2 == 1);
    model.removeAt(removed);
    ASSERT_EQ(model.size(), texts.size() - 1);
    for (std::size_t i = 0, r = 0; i < texts.size(); ++i) {
      if (i == removed) continue;
      EXPECT_EQ(model.text(r), texts[i]) << removed;
      EXPECT_EQ(model.isChecked(r), i % 2 == 1) << removed;
      ++r;
    }
  }
}

// A writer puts lines straight into the list; one that fails half way adds nothing.
TEST(TextListModel, WrittenRowsArriveWholeOrNotAtAll) {
  TextListModel model("Results", true);
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
  model.append("first");
  auto write = [](std::string& texts, std::vector<std::size_t>& ends, bool fail) {
    for (const char* line : {"a", "", "bc"}) {
      texts += line;
      ends.push_back(texts.size());
    }
    if (fail) throw std::runtime_error("disk full");
  };
  EXPECT_THROW(model.appendWritten(true, [&](auto& t, auto& e) { write(t, e, true); }),
               std::runtime_error);
  EXPECT_EQ(model.texts(), std::vector<std::string>{"first"});
  model.appendWritten(true, [&](auto& t, auto& e) { write(t, e, false); });
  model.flush();
  EXPECT_EQ(model.texts(), (std::vector<std::string>{"first", "a", "", "bc"}));
  EXPECT_FALSE(model.isChecked(0));
  EXPECT_TRUE(model.isChecked(3));
  EXPECT_EQ(model.bytes(), 8u);
}

// Rows end at 32-bit offsets: texts past 4 GB are refused before anything is read or
// added. The 4 GB given are reserved address space, never touched.
TEST(TextListModel, TextsPastFourGigabytesAreRefusedWhole) {
  const std::size_t size = TextListModel::kMostBytes + 1;
  void* const zeros =
      mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  ASSERT_NE(zeros, MAP_FAILED);
  TextListModel model("Zip Code(s)", false);
  model.append("first");
  const std::string_view past(static_cast<const char*>(zeros), size);
  EXPECT_THROW(model.appendPieces(past, ';'), RuntimeError);
  EXPECT_THROW(model.append(past), RuntimeError);
  const std::size_t end = size;
  EXPECT_THROW(model.appendRows(past, std::span(&end, 1), true), RuntimeError);
  munmap(zeros, size);
  EXPECT_EQ(model.texts(), std::vector<std::string>{"first"});
}

TEST(TextListModel, LongTextsAreShortenedForDisplayOnly) {
  TextListModel model("Zip Code(s)", false);
  model.append(std::string(10'000'000, '7'));
  model.flush();
  EXPECT_LE(model.data(model.index(0), Qt::DisplayRole).toString().size(), 1001);
  EXPECT_EQ(model.text(0).size(), 10'000'000u);
  EXPECT_FALSE(model.data(model.index(0), Qt::CheckStateRole).isValid());
}

}  // namespace
}  // namespace quorvane

namespace quorvane {
namespace {

// Counted sixteen bytes at a time, a lane at most 255 rounds: texts of nothing but the
// byte and of mixed bytes, around every boundary.
TEST(ByteCount, CountsEveryOccurrence) {
  std::mt19937 rng(7);
  for (const std::size_t n : {0, 1, 15, 16, 17, 4079, 4080, 4081, 4096, 8161, 100003}) {
    const std::string all(n, ';');
    EXPECT_EQ(count_byte(all, ';'), n) << n;
    std::string mixed(n, 'a');
    for (char& c : mixed) c = ";a\xbb"[rng() % 3];
    EXPECT_EQ(count_byte(mixed, ';'), std::size_t(std::count(mixed.begin(), mixed.end(), ';')))
        << n;
  }
}

// Pieces are split eight bytes at a time: separators at every place of a word, empty
// pieces, pieces longer than a word and a text that ends without a separator.
TEST(TextListModel, AppendedPiecesAreTheTextsBetweenSeparators) {
  struct Row {
    std::string text;
    std::vector<std::string> pieces;
  };
  const std::string long_piece(37, 'x');
  const Row rows[] = {
      {"", {}},
      {";;;;;;;;;;", {}},
      {"03053;92018;", {"03053", "92018"}},
      {";a;;bb;ccc;dddd;eeeee;ffffff;ggggggg;hhhhhhhh;",
       {"a", "bb", "ccc", "dddd", "eeeee", "ffffff", "ggggggg", "hhhhhhhh"}},
      {long_piece + ";" + long_piece, {long_piece, long_piece}},
      {"caf\xc3\xa9;\r\n;z", {"caf\xc3\xa9", "\r\n", "z"}},
      // ";" with its top bit set is no separator
      {"\xbb\xbb;\xbb\xbb\xbb\xbb;\xbb;", {"\xbb\xbb", "\xbb\xbb\xbb\xbb", "\xbb"}},
      // runs of five-byte pieces, broken by shorter, longer and empty ones
      {"03053;92018;1234;60628;03053;;92018;030536;60628;92018",
       {"03053", "92018", "1234", "60628", "03053", "92018", "030536", "60628", "92018"}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.text);
    TextListModel model("Zip Code(s)", false);
    model.append("before");
    model.appendPieces(r.text, ';');
    std::vector<std::string> want = {"before"};
    want.insert(want.end(), r.pieces.begin(), r.pieces.end());
    EXPECT_EQ(model.texts(), want);
    EXPECT_FALSE(model.isChecked(model.size() - 1));
  }
  // Seeded texts of digits and separators, against a plain split.
  std::mt19937 rng(5);
  for (int round = 0; round < 2000; ++round) {
    std::string text(rng() % 48, '0');
    for (char& c : text) c = "01234;"[rng() % 6];
    // Most rounds are runs of five-byte pieces with a few breaks.
    for (std::size_t k = 5; k < text.size() && round % 3; k += 6) text[k] = ';';
    std::vector<std::string> want;
    std::string piece;
    for (const char c : text + ";")
      if (c != ';')
        piece += c;
      else if (!piece.empty())
        want.push_back(std::exchange(piece, {}));
    TextListModel model("Zip Code(s)", false);
    model.appendPieces(text, ';');
    ASSERT_EQ(model.texts(), want) << text;
  }
  // To views that knew the list as empty the rows come as a new list.
  TextListModel model("Zip Code(s)", false);
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
  QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
  model.appendPieces("1;2;3", ';');
  model.flushAsNewList();
  EXPECT_EQ(reset.count(), 1);
  EXPECT_EQ(model.rowCount(), 3);
  model.appendPieces("4", ';');
  model.flushAsNewList();  // now an insertion
  EXPECT_EQ(reset.count(), 1);
  EXPECT_EQ(model.rowCount(), 4);
}

}  // namespace
}  // namespace quorvane
