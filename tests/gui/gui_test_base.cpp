#include "tests/gui/gui_test_base.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTimer>

#include "output/yielder.h"

namespace quorvane::test {

void GuiTest::SetUp() {
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                     QString::fromStdString(dir_.file("config")));
  program_folder_ = QString::fromStdString(dir_.file("program"));
  QDir().mkpath(program_folder_);
  ASSERT_TRUE(QFile::copy(QStringLiteral(QUORVANE_SHIPPED_DB), programFile("dbZips.mdb")));
  Prompt::install(&prompt);
  install_trap_reporter();
  Yielder::setAlwaysForTesting(false);
}

void GuiTest::TearDown() {
  if (window_) {
    window_->hide();
    window_.reset();
  }
  prompt.verify();
  Prompt::install(nullptr);
  set_trap_reporter({});
  Yielder::setAlwaysForTesting(false);
}

namespace {

// The settings file through Qt's own reader, under a name it has not read before: Qt
// keeps what it read of a file by its name, and may miss a change within the same
// millisecond.
QString fresh_copy(const QString& file) {
  static int copies = 0;
  const QString copy = file + QStringLiteral(".read%1").arg(++copies);
  QFile::remove(copy);
  if (QFile::exists(file)) QFile::copy(file, copy);
  return copy;
}

}  // namespace

QString GuiTest::settingsFile() const {
  return QString::fromStdString(dir_.file("config/Kelvarin.ini"));
}

void GuiTest::store(const QString& key, const QString& value) {
  const QString copy = fresh_copy(settingsFile());
  {
    QSettings s(copy, QSettings::IniFormat);
    s.setValue(QStringLiteral("Quorvane/") + key, value);
  }
  QDir().mkpath(QFileInfo(settingsFile()).path());
  QFile::remove(settingsFile());
  QFile::rename(copy, settingsFile());
}

QString GuiTest::stored(const QString& key) {
  if (window_) window_->settings().sync();
  const QString copy = fresh_copy(settingsFile());
  QSettings s(copy, QSettings::IniFormat);
  return s.value(QStringLiteral("Quorvane/") + key).toString();
}

bool GuiTest::isStored(const QString& key) {
  if (window_) window_->settings().sync();
  const QString copy = fresh_copy(settingsFile());
  QSettings s(copy, QSettings::IniFormat);
  return s.contains(QStringLiteral("Quorvane/") + key);
}

void GuiTest::onPass(int pass, std::function<void()> action) {
  auto* timer = new QTimer(window_.get());
  auto passes = std::make_shared<int>(0);
  QObject::connect(timer, &QTimer::timeout, [=] {
    if (++*passes < pass) return;
    timer->stop();
    timer->deleteLater();
    action();
  });
  timer->start(0);
}

MainWindow& GuiTest::start() {
  MainWindowEnvironment env;
  env.programFolder = program_folder_;
  env.maxListEntries = max_list_entries;
  env.runThreads = run_threads;
  if (settings_apart) {
    auto pending = std::make_shared<std::future<std::unique_ptr<SettingsStore>>>(
        load_settings_apart(max_list_entries, 0));
    env.settings = [pending] { return pending->get(); };
  }
  env.drawOneToHundred = [this] { return draw; };
  env.openUrl = [this](const QUrl& url) { opened_urls.push_back(url); };
  env.spreadsheetPresent = [this] { return spreadsheet_present; };
  env.newSpreadsheet = [this]() -> std::unique_ptr<Spreadsheet> {
    ++spreadsheets_made;
    auto sheet = std::make_unique<FakeSpreadsheet>(&sheet_cells, &spreadsheets_shown);
    sheet->fail_to_add = spreadsheet_fails;
    return sheet;
  };
  window_ = std::make_unique<MainWindow>(std::move(env));
  window_->startUp();
  window_->show();
  return *window_;
}

}  // namespace quorvane::test
