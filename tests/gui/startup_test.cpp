#include <sys/resource.h>
#include <sys/stat.h>

#include <QCursor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>
#include <QTest>
#include <csignal>
#include <string>

#include "app/caption_progress_bar.h"
#include "app/list_view.h"
#include "tests/gui/controls.h"
#include "tests/gui/gui_test_base.h"

namespace quorvane::test {
namespace {

std::vector<bool> option_states(GuiTest* t, MainWindow& f) {
  std::vector<bool> on;
  for (int n = 1; n <= 7; ++n)
    on.push_back(f.findChild<QRadioButton*>(QStringLiteral("Option%1").arg(n))->isChecked());
  (void)t;
  return on;
}

TEST_F(GuiTest, FirstStartWithAnEmptyStore) {
  MainWindow& f = start();
  EXPECT_EQ(f.windowTitle(), "Quorvane");
  EXPECT_EQ(option_states(this, f),
            (std::vector<bool>{true, false, true, false, false, false, true}));
  EXPECT_EQ(widget<QLineEdit>(kReferenceZip)->text(), "");
  EXPECT_FALSE(widget<QLineEdit>(kReferenceZip)->isEnabled());
  EXPECT_EQ(f.zipList().size(), 0u);
  EXPECT_EQ(f.results().size(), 0u);
  EXPECT_EQ(f.progressBar().text(), "Progress Bar");
  EXPECT_EQ(f.progressBar().value(), 0);
  EXPECT_EQ(f.size(), QSize(1064, 373));
  const QPoint off = f.frameGeometry().center() - f.screen()->availableGeometry().center();
  EXPECT_LE(off.manhattanLength(), 2);  // centred when first shown
  EXPECT_EQ(widget<ListView>(kZipList)->columnWidth(0), 466);
  EXPECT_EQ(widget<ListView>(kResultList)->model()->headerData(0, Qt::Horizontal).toString(),
            "Results");
  EXPECT_TRUE(opened_urls.empty());
  // The icon is drawn at a size when asked for it, the same drawing each time.
  const QIcon icon = f.windowIcon();
  EXPECT_EQ(icon.availableSizes().size(), 7);
  const QImage drawn = icon.pixmap(48).toImage();
  ASSERT_EQ(drawn.size(), QSize(48, 48));
  EXPECT_NE(drawn.pixel(24, 24), drawn.pixel(0, 0));  // a picture, not an empty square
  EXPECT_EQ(icon.pixmap(48).toImage(), drawn);
}

TEST_F(GuiTest, RestoresTheStoredList) {
  struct Row {
    const char* stored;
    std::vector<std::string> entries;
  };
  const Row rows[] = {{"03053;92018;", {"03053", "92018"}},
                      {";;03053;;", {"03053"}},
                      {" 1 ;a,b;", {" 1 ", "a,b"}},
                      {"", {}}};
  for (const auto& r : rows) {
    store("Zip Codes", r.stored);
    start();
    EXPECT_EQ(entries(), r.entries) << r.stored;
  }
}

TEST_F(GuiTest, RestoresOptionsAndReferenceText) {
  store("Option1", "False");
  store("Option2", "TRUE");
  store("Option4", "-1");
  store("Option3", "0");
  store("Option6", "true");
  store("Option7", "false");
  store("Text1", "abc");
  MainWindow& f = start();
  EXPECT_EQ(option_states(this, f),
            (std::vector<bool>{false, true, false, true, false, true, false}));
  EXPECT_TRUE(widget<QLineEdit>(kReferenceZip)->isEnabled());
  EXPECT_EQ(widget<QLineEdit>(kReferenceZip)->text(), "abc");  // not tested at start-up
}

TEST_F(GuiTest, NeitherComparisonOptionStoredKeepsTheBoxEnabled) {
  store("Option1", "False");
  store("Option2", "False");
  MainWindow& f = start();
  EXPECT_FALSE(option_states(this, f)[0]);
  EXPECT_FALSE(option_states(this, f)[1]);
  EXPECT_TRUE(widget<QLineEdit>(kReferenceZip)->isEnabled());
}

TEST_F(GuiTest, UnreadableOptionValueIsReportedAtItsLine) {
  store("Option3", "maybe");
  store("Option4", "False");
  prompt.expectErrorReport("Brisholt2021/08/31.Form1.Form_Load at line 156");
  MainWindow& f = start();
  EXPECT_EQ(option_states(this, f),
            (std::vector<bool>{true, false, false, false, false, false, true}));
  EXPECT_TRUE(prompt.shown().first().startsWith("Type mismatch"));
}

TEST_F(GuiTest, ClosingSavesTheList) {
  store("Zip Codes", "03053;");
  MainWindow& f = start();
  f.zipList().append(" 92018 ");
  f.zipList().append("a;b");
  f.close();
  EXPECT_EQ(stored("Zip Codes"), "03053; 92018 ;a;b;");
}

TEST_F(GuiTest, ASettingsStoreThatCannotBeWrittenIsReportedAtClose) {
  MainWindow& f = start();
  f.zipList().append("03053");
  // Where the settings folder should be stands a file: nothing can be written there.
  const QString folder = QString::fromStdString(dir_.file("config"));
  QDir(folder).removeRecursively();
  write_file(folder.toStdString(), "not a folder");
  prompt.expectErrorReport("Cannot save the zip code list to " + folder);
  f.close();
}

TEST_F(GuiTest, ClosingWithAnEmptyListStoresTheEmptyText) {
  store("Zip Codes", "03053;");
  MainWindow& f = start();
  click(kClearList);
  f.close();
  EXPECT_TRUE(isStored("Zip Codes"));
  EXPECT_EQ(stored("Zip Codes"), "");
}

TEST_F(GuiTest, HomePageOpensOnlyOnTheLuckyDraw) {
  draw = 7;
  start();
  ASSERT_EQ(opened_urls.size(), 1u);
  EXPECT_EQ(opened_urls[0].toString(), kHomePage);
}

TEST_F(GuiTest, SkinAbsentKeepsTheWhiteLook) {
  MainWindow& f = start();
  EXPECT_FALSE(f.skinApplied());
  EXPECT_EQ(widget<QGroupBox>(kResultsFrame)->palette().color(QPalette::Window), QColor(Qt::white));
  EXPECT_EQ(widget<QRadioButton>(kZipsAndDistanceWording)->palette().color(QPalette::Window),
            QColor(Qt::white));
  EXPECT_TRUE(f.styleSheet().isEmpty());
}

TEST_F(GuiTest, SkinPresentIsApplied) {
  QDir().mkpath(programFile("x"));
  write_file(programFile("x/o.cjs").toStdString(), "QPushButton { color: #123456; }");
  MainWindow& f = start();
  EXPECT_TRUE(f.skinApplied());
  EXPECT_EQ(f.styleSheet(), "QPushButton { color: #123456; }");
  EXPECT_NE(widget<QGroupBox>(kComparisonFrame)->palette().color(QPalette::Window),
            QColor(Qt::white));
}

TEST_F(GuiTest, UnloadableSkinIsReportedOnceAndStartUpGoesOn) {
  QDir().mkpath(programFile("x"));
  write_file(programFile("x/o.cjs").toStdString(), std::string("\x7f"
                                                               "ELF\0\0\0binary",
                                                               12));
  store("Zip Codes", "03053;");
  prompt.expectErrorReport("at line 102");
  MainWindow& f = start();
  EXPECT_FALSE(f.skinApplied());
  EXPECT_EQ(f.windowTitle(), "Quorvane");
  EXPECT_EQ(entries(), std::vector<std::string>{"03053"});
}

TEST_F(GuiTest, HandPointerFileIsLoadedOrReported) {
  QImage image(32, 32, QImage::Format_ARGB32);
  image.fill(Qt::black);
  ASSERT_TRUE(image.save(programFile("HAND-M.CUR"), "ICO"));
  MainWindow& f = start();
  EXPECT_TRUE(f.pointer().hasHandImage());
}

TEST_F(GuiTest, BrokenHandPointerFileIsReported) {
  write_file(programFile("HAND-M.CUR").toStdString(), "junk");
  prompt.expectErrorReport("at line 110");
  MainWindow& f = start();
  EXPECT_FALSE(f.pointer().hasHandImage());
  f.pointer().set(PointerShape::Hand);
  EXPECT_EQ(f.cursor().shape(), Qt::PointingHandCursor);
}

TEST_F(GuiTest, UnreadableSettingsFileGivesDefaultsAndOneMessage) {
  // A folder where the settings file should be cannot be read as one.
  const QString file = QString::fromStdString(dir_.file("config/Kelvarin.ini"));
  QDir().mkpath(file);
  prompt.expectMessage(QStringLiteral("The settings file %1 could not be read. Quorvane starts "
                                      "with its default settings; the unreadable file was kept "
                                      "as %1.unreadable.")
                           .arg(file));
  MainWindow& f = start();
  EXPECT_EQ(option_states(this, f),
            (std::vector<bool>{true, false, true, false, false, false, true}));
  click(kZipsAndDistanceWording);
  EXPECT_EQ(stored("Option4"), "True");
}

TEST_F(GuiTest, EveryUnreadableSettingsFileIsKeptUnderANameOfItsOwn) {
  const QString file = QString::fromStdString(dir_.file("config/Kelvarin.ini"));
  const QString aside[] = {file + ".unreadable", file + ".unreadable.2", file + ".unreadable.3"};
  for (const QString& name : aside) {
    QDir().mkpath(file);  // a folder cannot be read as the settings file
    write_file((file + "/mark").toStdString(), name.toStdString());
    prompt.expectMessage(QStringLiteral("The settings file %1 could not be read. Quorvane starts "
                                        "with its default settings; the unreadable file was kept "
                                        "as %2.")
                             .arg(file, name));
    SettingsStore store;
    prompt.message(store.problem());
    prompt.verify();
  }
  for (const QString& name : aside) {
    QFile mark(name + "/mark");
    ASSERT_TRUE(mark.open(QIODevice::ReadOnly)) << name.toStdString();
    EXPECT_EQ(mark.readAll(), name.toUtf8());
  }
}

TEST_F(GuiTest, GarbageInTheSettingsIsOneReportPerValue) {
  QDir().mkpath(QString::fromStdString(dir_.file("config")));
  write_file(dir_.file("config/Kelvarin.ini"),
             std::string("[Quorvane]\nOption1=\"unterminated\n\xff\xfe\0\0garbage\n", 40));
  prompt.expectErrorReport("at line 152");
  MainWindow& f = start();
  EXPECT_EQ(option_states(this, f)[2], true);
}

TEST_F(GuiTest, MessageBoxesShowTheirWholeTitleInTheWindowsFont) {
  MainWindow& f = start();
  struct Row {
    QMessageBox::Icon icon;
    const char* title;
    const char* text;
  };
  const Row rows[] = {{QMessageBox::NoIcon, "Quorvane", "Done."},
                      {QMessageBox::Warning, "Application Error", "x"}};
  for (const auto& r : rows) {
    auto box = make_message_box(r.icon, r.title, r.text, &f);
    box->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(box.get()));
    EXPECT_EQ(box->font(), f.font()) << r.title;
    QFont bold = f.font();
    bold.setBold(true);
    EXPECT_GE(box->width(), QFontMetrics(bold).horizontalAdvance(r.title) + kTitleBarButtons)
        << r.title;
  }
}

TEST_F(GuiTest, NamedPipesAtStartUpAreReportedNotWaitedFor) {
  const QString ini = QString::fromStdString(dir_.file("config/Kelvarin.ini"));
  QDir().mkpath(QString::fromStdString(dir_.file("config")));
  QDir().mkpath(programFile("x"));
  for (const QString& path : {ini, programFile("HAND-M.CUR"), programFile("x/o.cjs")})
    ASSERT_EQ(mkfifo(path.toLocal8Bit().constData(), 0600), 0) << path.toStdString();
  prompt
      .expectErrorReport("Cannot load the skin " + programFile("x/o.cjs") +
                         ": it is a named pipe, not a regular file")
      .expectErrorReport("Cannot read the hand pointer " + programFile("HAND-M.CUR") +
                         ": it is a named pipe, not a regular file")
      .expectMessage(QStringLiteral("The settings file %1 could not be read. Quorvane starts "
                                    "with its default settings; the unreadable file was kept "
                                    "as %1.unreadable.")
                         .arg(ini));
  MainWindow& f = start();
  EXPECT_FALSE(f.skinApplied());
  EXPECT_FALSE(f.pointer().hasHandImage());
  EXPECT_TRUE(QFileInfo(ini + ".unreadable").exists());
  f.zipList().append("03053");
  f.close();  // the list is saved in a new file
  EXPECT_EQ(stored("Zip Codes"), "03053;");
}

// A style sheet of `rules` rules of a selector pair and one declaration each.
std::string rules_of_three_parts(int rules) {
  std::string sheet;
  for (int i = 0; i < rules; ++i)
    sheet += "QWidget#w" + std::to_string(i) + ", QPushButton { color: #123456; }\n";
  return sheet;
}

TEST_F(GuiTest, SkinsThatCannotBeUsedSayWhy) {
  QDir().mkpath(programFile("x"));
  const QString picture = tempFile("arrow.png");
  ASSERT_EQ(mkfifo(picture.toLocal8Bit().constData(), 0600), 0);
  struct Case {
    std::string sheet;
    QString report;
  };
  const Case cases[] = {
      {"QRadioButton::indicator { image: url( \"" + picture.toStdString() + "\" ); }",
       "the picture " + picture + " it names is a named pipe, not a regular file"},
      {"QPushButton { border-image: url(" + picture.toStdString() + "); }",
       "the picture " + picture + " it names is a named pipe, not a regular file"},
      {"QPushButton { color: red; }\n" + std::string(4 << 20, ' '),
       ": at 4194332 bytes it is too large for a style sheet (at most 4194304 bytes, 4 MB)"},
      {[] {
         std::string sheet;
         for (int i = 0; i < 110000; ++i)
           sheet += "QPushButton#b" + std::to_string(i) + " { color: #123456; }\n";
         return sheet.substr(0, 4 << 20);
       }(),
       ": with 215270 rules, selectors and declarations it is too large for a style sheet "
       "(at most 10000)"},
      {rules_of_three_parts(3333) + "QLabel { color: red; }",
       ": with 10001 rules, selectors and declarations it is too large for a style sheet (at "
       "most 10000)"},
  };
  for (const auto& c : cases) {
    write_file(programFile("x/o.cjs").toStdString(), c.sheet);
    prompt.expectErrorReport(c.report);
    MainWindow window(MainWindowEnvironment{program_folder_, {}, {}, {}, {}});
    window.startUp();
    EXPECT_FALSE(window.skinApplied());
  }
  write_file(programFile("x/o.cjs").toStdString(),
             "QPushButton { image: url(:/icons/none.png); border-image: url(" +
                 tempFile("missing.png").toStdString() + "); }");
  MainWindow window(MainWindowEnvironment{program_folder_, {}, {}, {}, {}});
  window.startUp();
  EXPECT_TRUE(window.skinApplied());  // a picture that is not there is Qt's to pass over
  write_file(programFile("x/o.cjs").toStdString(), rules_of_three_parts(3333) + "QLabel { }");
  MainWindow at_the_limit(MainWindowEnvironment{program_folder_, {}, {}, {}, {}});
  at_the_limit.startUp();
  EXPECT_TRUE(at_the_limit.skinApplied());  // 10,000 parts
}

TEST_F(GuiTest, ASettingsFileQtCannotParseIsSetAsideAtStartUp) {
  // The list as a UTF-16 editor would save it.
  const QString ini = QString::fromStdString(dir_.file("config/Kelvarin.ini"));
  QDir().mkpath(QString::fromStdString(dir_.file("config")));
  const std::u16string text = u"\uFEFF[Quorvane]\r\nZip Codes=03053;92018;\r\n";
  const std::string bytes(reinterpret_cast<const char*>(text.data()), text.size() * 2);
  write_file(ini.toStdString(), bytes);
  prompt.expectMessage(QStringLiteral("The settings file %1 could not be read. Quorvane starts "
                                      "with its default settings; the unreadable file was kept "
                                      "as %1.unreadable.")
                           .arg(ini));
  MainWindow& f = start();
  f.zipList().append("60628");
  f.close();  // saved without a report: no error report is expected
  EXPECT_EQ(stored("Zip Codes"), "60628;");
  QFile kept(ini + ".unreadable");
  ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
  EXPECT_EQ(kept.readAll().toStdString(), bytes);
}

TEST_F(GuiTest, ASettingQtCannotWriteBackIsKeptAsItStands) {
  // Qt reads the key "Other/" but would write it as "Other\", which it cannot read: the
  // store writes the line back as it stands, so nothing needs to be left out.
  const QString ini = QString::fromStdString(dir_.file("config/Kelvarin.ini"));
  QDir().mkpath(QString::fromStdString(dir_.file("config")));
  write_file(ini.toStdString(), "[Quorvane]\nOther/=1\nZip Codes=03053;\nOption4=True\n");
  MainWindow& f = start();  // no message
  EXPECT_EQ(entries(), std::vector<std::string>{"03053"});
  EXPECT_TRUE(widget<QRadioButton>(kZipsAndDistanceWording)->isChecked());
  f.zipList().append("60628");
  f.close();  // no error report
  EXPECT_EQ(stored("Zip Codes"), "03053;60628;");
  EXPECT_EQ(stored("Option4"), "True");
  QFile kept(ini);
  ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
  EXPECT_TRUE(kept.readAll().contains("\nOther/=1\n"));
}

TEST_F(GuiTest, ASaveThatFailsGivesTheSystemsReason) {
  MainWindow& f = start();
  f.zipList().append(std::string(100000, '1'));
  // A file size limit fails the write as a full disk would, with a reason of its own.
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit small = saved;
  small.rlim_cur = 50000;
  const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  prompt.expectErrorReport("Cannot save the zip code list to " +
                           QString::fromStdString(dir_.file("config/Kelvarin.ini")) +
                           ": File too large");
  f.close();
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, old_handler);
}

TEST_F(GuiTest, ApplicationTitleDropsWordsPast40Characters) {
  EXPECT_EQ(title_from_product("Quorvane"), "Quorvane");
  EXPECT_EQ(title_from_product("Quorvane Zip Code Distance Finder Professional Edition"),
            "Quorvane Zip Code Distance Finder");
  EXPECT_EQ(title_from_product(QString(45, 'x')), QString(45, 'x'));
}

}  // namespace
}  // namespace quorvane::test
