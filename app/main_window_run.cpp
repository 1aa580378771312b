// The distance run: each list entry against the next one or against the reference zip
// code, one result line per comparison.
#include <QElapsedTimer>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableView>
#include <optional>
#include <span>

#include "caption_progress_bar.h"
#include "error_trap.h"
#include "main_window.h"
#include "option_button.h"
#include "prompt.h"
#include "text.h"
#include "yielder.h"
#include "zip_table.h"

namespace quorvane {
namespace {

// The run's caption names an entry by its part after the last backslash; a slash is
// part of the entry like any other character.
std::string_view after_last_backslash(std::string_view entry) {
  const std::size_t at = entry.rfind('\\');
  return at == std::string_view::npos ? entry : entry.substr(at + 1);
}

// The comparisons of a run waiting for the engine. Their zip codes are views into the
// zip code list and the reference text, which stay as they are until the run lets the
// event loop run; everything waiting is compared before it does.
class PendingComparisons {
 public:
  static constexpr std::size_t kBlock = 4096;

  void add(std::string_view first, std::string_view second) { pairs_[count_++] = {first, second}; }
  bool full() const { return count_ == kBlock; }

  // Compares what is waiting and appends its lines to `results`, checked.
  void run(ZipDistance& engine, const CompareOptions& options, TextListModel& results) {
    if (count_ == 0) return;
    // Taken before comparing, so that a failure below does not compare it again.
    const std::span<const ZipPair> comparing(pairs_.data(), count_);
    count_ = 0;
    results.appendWritten(true, [&](std::string& texts, std::vector<std::size_t>& ends) {
      engine.compare(comparing, options, {}, LineOutput{&texts, '\0', &ends});
    });
  }

 private:
  std::vector<ZipPair> pairs_ = std::vector<ZipPair>(kBlock);
  std::size_t count_ = 0;
};

// Most entries are five digits: numeric, and their own zip code, without the general
// tests.
bool five_digits(std::string_view t) {
  return five_digit_number(t) >= 0;
}
std::string_view zip_of(std::string_view entry) {
  return five_digits(entry) ? entry : zip_part(entry);
}

}  // namespace

void MainWindow::flushResults() {
  const bool grew = results_->rowCount() < static_cast<int>(results_->size());
  results_->flush();
  if (grew) results_view_->scrollToBottom();
}

void MainWindow::startRun() {
  if (run_in_progress_) return;
  run_in_progress_ = true;
  Trap trap("Form1", "PushButton17_Click");
  if (zip_list_->size() == 0) {
    trap.line(104, [] { Prompt::instance().message(QStringLiteral("No zip codes added.")); });
    run_in_progress_ = false;
    return;
  }
  engine_.not_found_zips.clear();
  results_->clear();
  pointer_.set(kPointerHourglass);

  // The database is checked and read once per run; failures counted over the run are
  // reported when it ends, before the not-found list.
  std::optional<ZipDistance::Batch> batch(std::in_place, engine_);
  // Nothing the run reads can change until it lets the event loop run: comparisons are
  // collected and handed to the engine a block at a time, and the options, read again
  // after each yield, take effect from the entry where they were seen.
  PendingComparisons pending;
  CompareOptions compare_options;
  compare_options.wording = 0;
  bool reserved = false;
  auto compare_pending = [&] {
    trap.line(130, [&] { pending.run(engine_, compare_options, *results_); });
    // Room for the whole run, judged by its first lines, so that a million lines are
    // not moved again and again as the list grows.
    if (!reserved && results_->size() > 0) {
      reserved = true;
      const std::size_t rows = zip_list_->size();
      const std::size_t per_line = results_->bytes() / results_->size() + 4;
      results_->reserve(rows, rows * per_line);
    }
  };
  // The bar shows the entry being processed whenever the window is drawn.
  std::size_t entry = 0;
  std::size_t shown = static_cast<std::size_t>(-1);
  auto show_progress = [&] {
    if (entry == shown || entry >= zip_list_->size()) return;
    shown = entry;
    trap.line(116, [&] {
      const double m = static_cast<double>(zip_list_->size());
      progress_->setProgressValue(static_cast<double>(entry + 1) / m * 100.0);
      const std::string_view name = after_last_backslash(zip_list_->text(entry));
      progress_->setProgressText(QLatin1StringView("Processing: "), name);
    });
  };
  bool options_seen = false;
  bool consecutive = false, against_reference = false;
  QString reference;  // the reference box's text, converted when it changes
  std::string reference_utf8;
  auto read_options = [&] {
    options_seen = true;
    if (options_.sentenceWording->isChecked())
      compare_options.wording = 3;
    else if (options_.zipsAndDistanceWording->isChecked())
      compare_options.wording = 4;
    else if (options_.distanceOnlyWording->isChecked())
      compare_options.wording = 5;
    compare_options.use2016 = options_.use2016Table->isChecked();
    consecutive = options_.consecutiveMode->isChecked();
    against_reference = options_.referenceMode->isChecked();
    if (against_reference && reference_zip_->text() != reference) {
      reference = reference_zip_->text();
      reference_utf8 = reference.toStdString();
    }
  };
  // The view hears of new rows a few times a second: each announcement makes it lay
  // out its rows again, which costs more than the comparisons themselves.
  QElapsedTimer since_flush;
  since_flush.start();
  Yielder yield([&] {
    compare_pending();  // the lines so far are in the list before the window draws
    show_progress();
    options_seen = false;
    if (since_flush.elapsed() < 200) return;
    flushResults();
    since_flush.restart();
  });
  const std::size_t n = zip_list_->size();
  for (std::size_t i = 0; i < n; ++i) {
    // Entries removed during the run end it at the list's current end.
    if (i >= zip_list_->size()) break;
    entry = i;
    yield.maybe();
    if (closing_) return;  // the window closed: the program ends without another word
    if (i >= zip_list_->size()) break;
    const std::string_view text = zip_list_->text(i);
    if (!five_digits(text) && !isNumeric(text)) continue;
    if (!options_seen) read_options();
    if (consecutive && i + 1 < zip_list_->size())
      pending.add(zip_of(text), zip_of(zip_list_->text(i + 1)));
    else if (against_reference)
      pending.add(zip_of(text), zip_part(reference_utf8));
    if (pending.full()) compare_pending();
  }
  compare_pending();
  show_progress();
  batch.reset();
  flushResults();
  if (!trim_blanks(engine_.not_found_zips).empty()) {
    trap.line(150, [&] {
      Prompt::instance().message(
          QStringLiteral("Latitude and longitude for zip codes: \r\n") +
          QString::fromStdString(engine_.not_found_zips) +
          QStringLiteral("\r\ncould not be found in the database. \r\n"
                         "Please use another location that is close to your desired location."));
    });
  }
  pointer_.set(kPointerArrow);
  progress_->setProgressValue(0);
  progress_->setProgressText(kProgressIdleText);
  trap.line(160, [] { Prompt::instance().message(QStringLiteral("Done.")); });
  run_in_progress_ = false;
}

}  // namespace quorvane
