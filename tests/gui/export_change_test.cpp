// The exports when the results list changes under them, and the text file's commit.
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTest>

#include "app/caption_progress_bar.h"
#include "app/list_view.h"
#include "output/yielder.h"
#include "tests/gui/controls.h"
#include "tests/gui/gui_test_base.h"

namespace quorvane::test {
namespace {

constexpr int kRows = 5000;
const char kLine[] = "Distance between 03053 and 92018 is 2556.52 miles";
const char kOldBytes[] = "the old results\r\n";

class ExportChangeTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    start();
  }
  void fill() {
    form().results().clear();
    for (int i = 0; i < kRows; ++i) form().results().append(kLine, true);
    form().results().flush();
  }
  // A change as the user makes it in the middle of an export.
  void change(bool clear) {
    if (clear) {
      click(kClearResults);
      return;
    }
    // A double-click removes a result once another command has reset the pointer.
    form().pointer().set(PointerShape::Arrow);
    auto* view = widget<ListView>(kResultList);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {},
                       view->visualRect(view->model()->index(0, 0)).center());
  }
  QByteArray bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(unreadable)");
  }
  QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
  }
};

struct Change {
  const char* name;
  int pass;  // the event loop's pass, counted from the click
  bool clear;
  const char* reported;
};

TEST_F(ExportChangeTest, TextFileIsNotCommittedWhenTheListChanges) {
  const Change changes[] = {
      {"clear while measuring", 2000, true, "at line 126"},
      {"remove while measuring", 2000, false, "at line 126"},
      {"clear while writing", 7000, true, "at line 188"},
      {"remove while writing", 7000, false, "at line 188"},
  };
  QDir().mkpath(tempFile("out"));
  const QString path = tempFile("out/r.txt");
  Yielder::setAlwaysForTesting(true);
  for (const auto& c : changes) {
    fill();
    write_file(path.toStdString(), kOldBytes);
    onPass(c.pass, [this, &c] { change(c.clear); });
    prompt.expectSaveFile(path).expectErrorReport(
        "Save again to write the list as it is now.\r\nin "
        "Brisholt2021/08/31.Main.SaveListviewProperlySpaced " +
        QString::fromLatin1(c.reported));
    click(kSaveText);
    prompt.verify();
    EXPECT_EQ(bytes(path), kOldBytes) << c.name;
    EXPECT_EQ(filesIn(tempFile("out")), QStringList{"r.txt"}) << c.name;
    EXPECT_EQ(form().pointer().shape(), PointerShape::Arrow);
    EXPECT_EQ(form().progressBar().text(), "Progress Bar");
  }
}

TEST_F(ExportChangeTest, ClipboardKeepsItsTextWhenTheListChanges) {
  const Change changes[] = {
      {"clear while measuring", 2000, true, ""},
      {"remove while measuring", 2000, false, ""},
      {"clear while writing", 7000, true, ""},
      {"remove while writing", 7000, false, ""},
  };
  Yielder::setAlwaysForTesting(true);
  for (const auto& c : changes) {
    fill();
    QGuiApplication::clipboard()->setText("before");
    onPass(c.pass, [this, &c] { change(c.clear); });
    // One report, and no word of a copy that did not happen.
    prompt.expectErrorReport(
        "so the clipboard was left as it was. Copy again to copy the list as it is now.\r\nin "
        "Brisholt2021/08/31.Form1.PushButton5_Click at line 100");
    click(kCopyResults);
    prompt.verify();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "before") << c.name;
  }
}

TEST_F(ExportChangeTest, WorkbookIsNotOpenedWhenTheListChanges) {
  const Change changes[] = {
      {"clear at the header", 1, true, "at line 122"},
      {"clear at the rows", 2500, true, "at line 140"},
      {"remove at the rows", 2500, false, "at line 140"},
  };
  Yielder::setAlwaysForTesting(true);
  for (const auto& c : changes) {
    fill();
    onPass(c.pass, [this, &c] { change(c.clear); });
    prompt.expectErrorReport(
        "so it was not opened. Save again to send the list as it is now.\r\nin "
        "Brisholt2021/08/31.Form1.PushButton13_Click " +
        QString::fromLatin1(c.reported));
    click(kSaveWorkbook);
    prompt.verify();
    EXPECT_EQ(spreadsheets_shown, 0) << c.name;
    EXPECT_EQ(form().pointer().shape(), PointerShape::Arrow);
  }
}

TEST_F(ExportChangeTest, UnchangedListIsExportedWhileYielding) {
  fill();
  Yielder::setAlwaysForTesting(true);
  const QString path = tempFile("r.txt");
  prompt.expectSaveFile(path);
  click(kSaveText);
  EXPECT_EQ(bytes(path).count('\n'), kRows + 1);
  click(kSaveWorkbook);
  EXPECT_EQ(spreadsheets_shown, 1);
}

TEST_F(ExportChangeTest, OldFileSurvivesAFailedWriteByteForByte) {
  fill();  // some 250 kB, past the size limit below
  QDir().mkpath(tempFile("out"));
  const QString path = tempFile("out/r.txt");
  write_file(path.toStdString(), kOldBytes);
  rlimit before{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
  rlimit low = before;
  low.rlim_cur = 64 << 10;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &low), 0);
  prompt.expectSaveFile(path).expectErrorReport("File too large\r\nin");
  click(kSaveText);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &before), 0);
  EXPECT_TRUE(prompt.shown().last().contains("at line 222")) << prompt.shown().last().toStdString();
  EXPECT_EQ(bytes(path), kOldBytes);
  EXPECT_EQ(filesIn(tempFile("out")), QStringList{"r.txt"});
  EXPECT_EQ(form().progressBar().text(), "Progress Bar");
}

TEST_F(ExportChangeTest, PipeOrDeviceIsNeverReplaced) {
  form().results().append("x", true);
  form().results().flush();
  const QString pipe = tempFile("pipe");
  ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
  struct Row {
    QString path;
    const char* says;
  };
  // A device node of our own (one like /dev/null), where we may make one.
  const QString device = tempFile("device");
  const bool have_device =
      mknod(QFile::encodeName(device).constData(), S_IFCHR | 0600, makedev(1, 3)) == 0;
  const Row rows[] = {{pipe, "it is a named pipe, not a regular file"},
                      {device, "it is a device, not a regular file"}};
  for (const auto& r : rows) {
    if (r.path == device && !have_device) continue;
    prompt.expectSaveFile(r.path).expectErrorReport(r.says + QStringLiteral("\r\nin ") +
                                                    "Brisholt2021/08/31.Main."
                                                    "SaveListviewProperlySpaced at line 156");
    click(kSaveText);
    prompt.verify();
  }
  struct stat st {};
  ASSERT_EQ(stat(QFile::encodeName(pipe).constData(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  if (have_device) {
    ASSERT_EQ(stat(QFile::encodeName(device).constData(), &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
  }
}

}  // namespace
}  // namespace quorvane::test
