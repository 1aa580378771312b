#include <sys/stat.h>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include "app/list_view.h"
#include "app/prompt.h"
#include "output/yielder.h"
#include "tests/gui/controls.h"
#include "tests/gui/gui_test_base.h"

namespace quorvane::test {
namespace {

TEST_F(GuiTest, AddKeepsTheAnswerExactly) {
  start();
  prompt.expectInput("  03053 ")
      .expectInput("")
      .expectInput("60628, 92018")
      .expectInput("60628, 92018");
  for (int i = 0; i < 4; ++i) click(kAddZipCodes);
  EXPECT_EQ(entries(), (std::vector<std::string>{"  03053 ", "60628, 92018", "60628, 92018"}));
}

// The input box takes a long paste whole, up to an entry's limit; a longer one is cut
// there, with a message, never at the line edit's own 32,767 characters.
TEST_F(GuiTest, LongAnswersAreKeptUpToTheEntryLimit) {
  start();
  const QString limit_text = QStringLiteral(
      "The zip code typed is longer than an entry of the list may be (1048576 "
      "bytes, 1 MB): only its first %1 bytes were added.");
  struct Row {
    const char* what;
    std::string answer;
    std::size_t kept;
    QString message;
  };
  std::string two_byte_end = "x";
  for (int i = 0; i < (1 << 19); ++i) two_byte_end += "\xc3\xa9";
  const Row rows[] = {
      {"40,000 characters", std::string(40000, '1'), 40000, {}},
      {"1 MB", std::string(1 << 20, '1'), 1 << 20, {}},
      {"1 MB and a byte", std::string((1 << 20) + 1, '1'), 1 << 20, limit_text.arg(1 << 20)},
      {"10 MB", std::string(10 << 20, '1'), 1 << 20, limit_text.arg(1 << 20)},
      {"a character across the limit", two_byte_end, (1 << 20) - 1, limit_text.arg((1 << 20) - 1)},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.what);
    click("PushButton1");
    prompt.expectInput(QString::fromStdString(r.answer));
    if (!r.message.isEmpty()) prompt.expectMessage(r.message);
    click("PushButton6");
    ASSERT_EQ(entries().size(), 1u);
    EXPECT_EQ(entries()[0], r.answer.substr(0, r.kept));
    prompt.verify();
  }
}

TEST_F(GuiTest, ListFilesAreSplitAtLineEnds) {
  struct Row {
    const char* name;
    std::string bytes;
    std::vector<std::string> entries;
  };
  const Row rows[] = {
      {"CR LF", "03053\r\n92018\r\n60628\r\n", {"03053", "92018", "60628"}},
      {"LF with final LF", "03053\n92018\n60628\n", {"03053", "92018", "60628", ""}},
      {"LF without final LF", "03053\n92018\n60628", {"03053", "92018", "60628"}},
      {"CR only", "03053\r92018\r", {"03053", "92018"}},
      {"blank line", "03053\r\n\r\n60628", {"03053", "", "60628"}},
      {"empty file", "", {}},
      {"byte-order mark",
       "\xEF\xBB\xBF"
       "03053\r\n92018",
       {"03053", "92018"}},
      {"Latin-1 byte", "caf\xE9\r\n", {"caf\xC3\xA9"}},
      {"UTF-8 kept", "caf\xC3\xA9;x\r\n", {"caf\xC3\xA9;x"}},
  };
  start();
  for (const auto& r : rows) {
    form().zipList().clear();
    const QString path = tempFile("list.txt");
    write_file(path.toStdString(), r.bytes);
    prompt.expectOpenFiles({path});
    click(kLoadListFile);
    EXPECT_EQ(entries(), r.entries) << r.name;
    EXPECT_EQ(form().pointer().shape(), PointerShape::Arrow);
  }
}

TEST_F(GuiTest, SeveralFilesAtOnceAndAMissingOne) {
  start();
  QDir().mkpath(tempFile("lists"));
  const QString a = tempFile("lists/a.txt"), b = tempFile("lists/b.txt");
  write_file(a.toStdString(), "1\r\n2\r\n");
  write_file(b.toStdString(), "3");
  prompt.expectOpenFiles({a, tempFile("lists/gone.txt"), b}).expectMessage("File not found");
  click(kLoadListFile);
  EXPECT_EQ(entries(), (std::vector<std::string>{"1", "2", "3"}));
  EXPECT_EQ(form().pointer().shape(), PointerShape::Arrow);
}

TEST_F(GuiTest, SeveralFilesAreReadFromTheirOwnPaths) {
  start();
  QDir().mkpath(tempFile("lists"));
  // Two file names that differ only in a doubled backslash, which tidying would undo.
  const QString doubled = tempFile("lists/a\\\\b.txt"), single = tempFile("lists/a\\b.txt"),
                other = tempFile("lists/c.txt");
  write_file(doubled.toStdString(), "1");
  write_file(single.toStdString(), "2");
  write_file(other.toStdString(), "3");
  prompt.expectOpenFiles({doubled, other});
  click(kLoadListFile);
  EXPECT_EQ(entries(), (std::vector<std::string>{"1", "3"}));
}

TEST_F(GuiTest, NothingRunsInTheMiddleOfALoad) {
  start();
  const QString path = tempFile("long.txt");
  std::string bytes;
  for (int i = 0; i < 100000; ++i) bytes += "60628\r\n";
  write_file(path.toStdString(), bytes);
  Yielder::setAlwaysForTesting(true);
  onPass(1, [this] { click(kLoadSample); });  // the sample, asked for during the load
  prompt.expectOpenFiles({path});
  click(kLoadListFile);
  EXPECT_EQ(entries().size(), 100000u);
  QCoreApplication::processEvents();
  ASSERT_EQ(entries().size(), 100002u);
  EXPECT_EQ(entries()[99999], "60628");
  EXPECT_EQ(entries()[100000], "03053");
}

TEST_F(GuiTest, BadListFilesGiveOneMessageEachAndKeepWhatWasRead) {
  start();
  const QString good = tempFile("good.txt"), binary = tempFile("binary.txt"),
                huge = tempFile("huge.txt"), folder = tempFile("folder");
  write_file(good.toStdString(), "03053\r\n");
  write_file(binary.toStdString(), std::string("92018\r\n60628\r\n\x7f"
                                               "ELF\0\1\2\3\r\n9",
                                               24));
  QDir().mkpath(folder);
  {
    QFile f(huge);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_TRUE(f.resize(100LL << 20));  // sparse: 100 MB of nothing
  }
  prompt.expectOpenFiles({good, binary, huge, folder})
      .expectErrorReport("not a text file")
      .expectErrorReport("too large")
      .expectErrorReport("it is a folder");
  click(kLoadListFile);
  EXPECT_EQ(entries(), (std::vector<std::string>{"03053", "92018", "60628"}));
  EXPECT_EQ(form().pointer().shape(), PointerShape::Arrow);
}

TEST_F(GuiTest, ListFilesPastTheLimitsSayWhichLimit) {
  max_list_entries = 5;
  start();
  const QString pipe = tempFile("pipe.txt"), over = tempFile("over.txt"),
                lines = tempFile("lines.txt");
  ASSERT_EQ(mkfifo(pipe.toLocal8Bit().constData(), 0600), 0);
  {
    QFile f(over);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_TRUE(f.resize((64LL << 20) + 1));
  }
  write_file(lines.toStdString(), "1\n2\n3\n\n\n\n\n\n");
  prompt.expectOpenFiles({pipe, over, lines})
      .expectErrorReport("Cannot read " + pipe + ": it is a named pipe, not a regular file")
      .expectErrorReport(
          ": at 67108865 bytes (64.0 MB) it is too large for a list of zip codes "
          "(at most 67108864 bytes (64.0 MB))")
      .expectErrorReport("Cannot read all of " + lines +
                         ": the zip code list holds at most 5 entries; the entries before that "
                         "were added");
  click(kLoadListFile);
  EXPECT_EQ(entries(), (std::vector<std::string>{"1", "2", "3", "", ""}));
  EXPECT_EQ(form().zipList().rowCount(), 5);  // the views were told
  EXPECT_EQ(form().pointer().shape(), PointerShape::Arrow);
}

TEST_F(GuiTest, OneHugeLineIsOneEntry) {
  start();
  const QString path = tempFile("line.txt");
  write_file(path.toStdString(), std::string(10 << 20, '5'));
  prompt.expectOpenFiles({path});
  click(kLoadListFile);
  ASSERT_EQ(form().zipList().size(), 1u);
  EXPECT_EQ(form().zipList().text(0).size(), 10u << 20);
}

TEST_F(GuiTest, SampleAddsTwoEntriesAndTheReference) {
  start();
  click(kLoadSample);
  click(kLoadSample);
  EXPECT_EQ(entries(), (std::vector<std::string>{"03053", "92018", "03053", "92018"}));
  EXPECT_EQ(widget<QLineEdit>(kReferenceZip)->text(), "60628");
  EXPECT_EQ(stored("Text1"), "60628");
}

TEST_F(GuiTest, ClearEmptiesListAndReference) {
  start();
  click(kLoadSample);
  click(kClearList);
  EXPECT_TRUE(entries().empty());
  EXPECT_EQ(stored("Text1"), "");
}

TEST_F(GuiTest, BusyWindowRefusesRemovalButNotAdding) {
  start();
  click(kLoadSample);
  auto* view = widget<ListView>(kZipList);
  view->setCurrentIndex(view->model()->index(0, 0));
  form().pointer().set(PointerShape::Hourglass);
  click(kClearList);  // clears the reference only
  EXPECT_EQ(entries().size(), 2u);
  EXPECT_EQ(widget<QLineEdit>(kReferenceZip)->text(), "");
  QTest::keyClick(view, Qt::Key_Delete);
  QTest::mouseDClick(view->viewport(), Qt::LeftButton, {},
                     view->visualRect(view->currentIndex()).center());
  EXPECT_EQ(entries().size(), 2u);
  click(kLoadSample);
  prompt.expectInput("1");
  click(kAddZipCodes);
  EXPECT_EQ(entries().size(), 5u);
}

TEST_F(GuiTest, DeleteAndDoubleClickRemoveTheSelectedEntry) {
  start();
  for (const char* z : {"1", "2", "3", "4"}) form().zipList().append(z);
  form().zipList().flush();
  auto* view = widget<ListView>(kZipList);
  QTest::keyClick(view, Qt::Key_Delete);  // nothing selected: nothing removed
  EXPECT_EQ(entries().size(), 4u);
  view->setCurrentIndex(view->model()->index(1, 0));
  QTest::keyClick(view, Qt::Key_Delete, Qt::ShiftModifier);
  EXPECT_EQ(entries(), (std::vector<std::string>{"1", "3", "4"}));
  const QPoint p = view->visualRect(view->model()->index(2, 0)).center();
  QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, p);
  EXPECT_EQ(entries(), (std::vector<std::string>{"1", "3"}));
  QTest::keyClick(view, Qt::Key_A);
  EXPECT_EQ(entries().size(), 2u);
}

// The input box itself, pasted into by the keyboard: a paste far over its limit is cut
// before the box takes it (the box's own cut takes minutes for 10 MB).
TEST(AddBoxPaste, APasteOverTheLimitReachesTheBoxCut) {
  for (const qsizetype size : {qsizetype{5}, qsizetype{10} << 20}) {
    QApplication::clipboard()->setText(QString(size, u'7'));
    QtPrompt prompt;
    QTimer::singleShot(0, [] {
      QInputDialog* dialog = nullptr;
      for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<QInputDialog*>(w); d && d->isVisible()) dialog = d;
      ASSERT_NE(dialog, nullptr);
      QTest::keySequence(dialog->findChild<QLineEdit*>(), QKeySequence::Paste);
      dialog->accept();
    });
    EXPECT_EQ(prompt.input("Zip code", "Add").size(),
              std::min<qsizetype>(size, kMaxInputCharacters));
  }
}

}  // namespace
}  // namespace quorvane::test
