// Drives the real window on the offscreen platform with a million entries and reports
// how long each command takes: loading a list file, a consecutive run (set against the
// engine's own time for the same comparisons), clearing the lists, saving and restoring
// a list through the settings store, and the three exports.
#include <sys/resource.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <optional>
#include <random>

#include "app/main_window.h"
#include "app/prompt.h"
#include "engine/ordered_blocks.h"
#include "output/clipboard.h"
#include "output/text_export.h"
#include "output/workbook.h"

using namespace quorvane;

namespace {

// Answers every dialog at once: the file to open or save, OK to every message.
struct BenchPrompt : Prompt {
  QString file;
  int messages = 0;
  void message(const QString&) override { ++messages; }
  void errorReport(const QString& t) override {
    std::fprintf(stderr, "error: %s\n", qPrintable(t));
  }
  QString input(const QString&, const QString&) override { return {}; }
  QStringList openFiles(const QString&, const QString&) override { return {file}; }
  QString saveFile(const QString&, const QString&) override { return file; }
};

double rss_mb() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return static_cast<double>(resident) * 4096.0 / (1 << 20);
}

// The peak resident size since the last reset_peak(), in MB.
void reset_peak() {
  std::ofstream("/proc/self/clear_refs") << "5";
}
double peak_mb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  return 0;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

template <class F>
double seconds(F&& f) {
  QElapsedTimer t;
  t.start();
  f();
  return t.nsecsElapsed() / 1e9;
}

void click(MainWindow& f, const char* name) {
  f.findChild<QPushButton*>(name)->click();
}

}  // namespace

constexpr char kUsage[] =
    "Usage: gui_bench [ENTRIES] [--run-only]\n"
    "Times the window's commands on a list of ENTRIES zip codes (default 1000000).\n"
    "  --run-only  time the runs, also in a window on one thread, and nothing else\n";

// The list's size and whether only the run is timed; nullopt after printing the usage.
struct Arguments {
  std::size_t entries = 1000000;
  bool run_only = false;
};
std::optional<Arguments> arguments(int argc, char** argv, int* status) {
  Arguments a;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      *status = 0;
      return std::nullopt;
    }
    if (arg == "--run-only" && i == 2) {
      a.run_only = true;
    } else if (i == 1 && !arg.empty() && arg.size() <= 9 &&
               arg.find_first_not_of("0123456789") == std::string::npos && std::stoul(arg) > 1) {
      a.entries = std::stoul(arg);
    } else {
      std::fprintf(stderr, "gui_bench: cannot use the argument %s\n%s", argv[i], kUsage);
      *status = 2;
      return std::nullopt;
    }
  }
  return a;
}

int main(int argc, char** argv) {
  int status = 0;
  const auto args = arguments(argc, argv, &status);
  if (!args) return status;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const std::size_t n = args->entries;
  QTemporaryDir dir;
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.filePath("config"));
  BenchPrompt prompt;
  Prompt::install(&prompt);
  install_trap_reporter();

  // A list file of n zip codes drawn from the 2016 table.
  std::vector<std::string> zips;
  {
    std::ifstream csv(QUORVANE_DATA_DIR "/zip_code2016.csv");
    std::string line;
    std::getline(csv, line);
    while (std::getline(csv, line)) zips.push_back(line.substr(0, 5));
  }
  std::mt19937_64 rng(2016);
  std::uniform_int_distribution<std::size_t> pick(0, zips.size() - 1);
  const QString list_path = dir.filePath("million.txt");
  {
    std::ofstream out(list_path.toStdString(), std::ios::binary);
    for (std::size_t i = 0; i < n; ++i) out << zips[pick(rng)] << "\r\n";
  }

  MainWindow form(MainWindowEnvironment::desktop(QStringLiteral(QUORVANE_BIN_DIR)));
  form.startUp();
  form.show();
  app.processEvents();
  const double rss0 = rss_mb();

  prompt.file = list_path;
  const double load = seconds([&] { click(form, "PushButton3"); });
  std::printf("load a list file of %zu zip codes: %.3f s\n", form.zipList().size(), load);
  // With --run-only, the same run on one thread, in a window of its own (not otherwise:
  // its memory would stay in the figures below).
  std::unique_ptr<MainWindow> one_thread;
  if (args->run_only) {
    MainWindowEnvironment env = MainWindowEnvironment::desktop(QStringLiteral(QUORVANE_BIN_DIR));
    env.runThreads = 1;
    one_thread = std::make_unique<MainWindow>(env);
    one_thread->startUp();
    click(*one_thread, "PushButton3");
  }

  // The window's run and the engine alone, taken in turns so that both see the same
  // machine; the medians of five are compared.
  ZipDistance engine(QUORVANE_BIN_DIR "/dbZips.mdb");
  // The engine alone either writes each block into the same small buffer or keeps
  // every line and its end as the window's results list must (the memory kept from
  // round to round, as the window keeps its list's).
  std::string kept_text;
  std::vector<std::size_t> kept_ends;
  auto engine_run = [&](bool keep) {
    std::string text;
    std::vector<ZipPair> pairs;
    kept_text.clear();
    kept_ends.clear();
    ZipDistance::Batch batch(engine);
    const std::size_t entries = form.zipList().size();
    for (std::size_t i = 0; i + 1 < entries; i += 4096) {
      pairs.clear();
      for (std::size_t k = i; k + 1 < entries && k < i + 4096; ++k)
        pairs.push_back({form.zipList().text(k), form.zipList().text(k + 1)});
      text.clear();
      engine.compare(
          pairs, CompareOptions{}, {},
          keep ? LineOutput{&kept_text, '\0', &kept_ends} : LineOutput{&text, '\n', nullptr});
    }
  };
  const auto engine_alone = [&] { engine_run(false); };
  const auto engine_keeping = [&] { engine_run(true); };
  std::vector<double> window_runs, one_thread_runs, engine_runs, keeping_runs;
  const int rounds = 5;
  // How long the window goes without answering: the longest time between two passes
  // of its event loop, the start and end of the run included.
  QElapsedTimer since_answer;
  double longest_silence = 0;
  auto answered = [&] {
    longest_silence = std::max(longest_silence, since_answer.nsecsElapsed() / 1e6);
    since_answer.restart();
  };
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, answered);
  for (int round = 0; round < rounds; ++round) {
    ticker.start(0);
    since_answer.start();
    window_runs.push_back(seconds([&] { click(form, "PushButton17"); }));
    answered();
    ticker.stop();
    app.processEvents();
    if (one_thread) one_thread_runs.push_back(seconds([&] { click(*one_thread, "PushButton17"); }));
    engine_runs.push_back(seconds(engine_alone));
    keeping_runs.push_back(seconds(engine_keeping));
  }
  const double run = median(window_runs), engine_time = median(engine_runs);
  std::printf(
      "consecutive run, 2016 table, sentence wording: %.3f s for %zu lines "
      "(median of %d; fastest %.3f s)\n",
      run, form.results().size(), rounds,
      *std::min_element(window_runs.begin(), window_runs.end()));
  if (one_thread)
    std::printf("  on one thread: %.3f s; %.2f times as long as on one per core (%u)\n",
                median(one_thread_runs), median(one_thread_runs) / run, default_threads());
  std::printf(
      "  the engine alone, same comparisons: %.3f s (fastest %.3f s); the window "
      "takes %.2f times the engine's time\n",
      engine_time, *std::min_element(engine_runs.begin(), engine_runs.end()), run / engine_time);
  std::printf(
      "  the engine alone keeping every line: %.3f s; the window takes %.2f times its time\n",
      median(keeping_runs), run / median(keeping_runs));
  std::printf("  the window's longest time without answering during the runs: %.1f ms\n",
              longest_silence);
  if (args->run_only) return 0;
  std::printf("memory: %.0f MB resident with both lists (+%.0f MB over the empty window)\n",
              rss_mb(), rss_mb() - rss0);

  prompt.file = dir.filePath("results.txt");
  const double text = seconds([&] { click(form, "PushButton4"); });
  std::printf("text export of %zu rows: %.3f s (%lld bytes)\n", form.results().size(), text,
              static_cast<long long>(QFile(prompt.file).size()));

  const double before_copy = rss_mb();
  reset_peak();
  const double copy = seconds([&] {
    Yielder yield;
    copy_checked_rows(form.results(), yield);
  });
  std::printf("clipboard text of %zu rows: %.3f s, its peak %.0f MB over before\n",
              form.results().size(), copy, peak_mb() - before_copy);

  for (bool as_template : {false, true}) {
    const QString book = dir.filePath("results.xlsx");
    const double xlsx = seconds([&] {
      XlsxSpreadsheet sheet(book, {}, as_template);
      QString error;
      sheet.addWorkbook(&error);
      Yielder yield;
      write_sheet(form.results(), sheet, yield);
      sheet.show(&error);
    });
    const QString written = as_template ? dir.filePath("results.xltx") : book;
    std::printf("workbook of %zu rows (constant memory%s): %.3f s (%lld bytes)\n",
                form.results().size(), as_template ? ", as a template" : "", xlsx,
                static_cast<long long>(QFile(written).size()));
  }

  const double clear_results = seconds([&] { click(form, "PushButton2"); });
  const double clear_list = seconds([&] { click(form, "PushButton1"); });
  std::printf("clear results: %.4f s, clear list: %.4f s\n", clear_results, clear_list);

  // Saving the list at close and restoring it at the next start-up, through the settings
  // store: a small list (the start-up a user waits for) and a million entries.
  for (std::size_t entries : {std::size_t{1000}, std::size_t{1000000}}) {
    form.zipList().clear();
    for (std::size_t i = 0; i < entries; ++i) form.zipList().append(zips[pick(rng)]);
    form.zipList().flush();
    std::vector<double> saves, start_ups;
    std::size_t restored = 0;
    for (int round = 0; round < 3; ++round) {
      saves.push_back(seconds([&] { form.saveZipCodeList(); }));
      start_ups.push_back(seconds([&] {
        MainWindow again(MainWindowEnvironment::desktop(QStringLiteral(QUORVANE_BIN_DIR)));
        again.startUp();
        restored = again.zipList().size();
      }));
    }
    std::printf(
        "save %zu entries: %.3f s; a new window's start-up with them: %.3f s (%zu read; "
        "medians of 3)\n",
        entries, median(saves), median(start_ups), restored);
  }
  struct rusage usage {};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("peak resident memory: %.0f MB\n", usage.ru_maxrss / 1024.0);
  Prompt::install(nullptr);
  return 0;
}
