// The distance run: each list entry against the next one or against the reference zip
// code, one result line per comparison.
#include <QElapsedTimer>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableView>
#include <optional>

#include "caption_progress_bar.h"
#include "error_trap.h"
#include "main_window.h"
#include "option_button.h"
#include "prompt.h"
#include "text.h"
#include "yielder.h"

namespace quorvane {
namespace {

// The run's caption names an entry by its part after the last backslash; a slash is
// part of the entry like any other character.
std::string_view after_last_backslash(std::string_view entry) {
  const std::size_t at = entry.rfind('\\');
  return at == std::string_view::npos ? entry : entry.substr(at + 1);
}

// The comparisons of a run waiting for the engine, with their zip codes.
class PendingComparisons {
 public:
  static constexpr std::size_t kBlock = 512;

  bool same_options(std::uint8_t wording, bool use2016) const {
    return ends_of_zips_.empty() || (wording == options_.wording && use2016 == options_.use2016);
  }
  void set_options(std::uint8_t wording, bool use2016) {
    options_.wording = wording;
    options_.use2016 = use2016;
  }
  // The zip codes are copied into one buffer: no string per comparison.
  void add(std::string_view first, std::string_view second) {
    for (std::string_view zip : {first, second}) {
      zips_ += zip;
      ends_of_zips_.push_back(zips_.size());
    }
  }
  bool full() const { return ends_of_zips_.size() >= 2 * kBlock; }

  // Compares what is waiting and hands each line on, in order.
  template <class F>
  void run(ZipDistance& engine, F&& line) {
    if (ends_of_zips_.empty()) return;
    // What waits moves aside first, so that a failure below does not compare it again.
    std::swap(zips_, comparing_);
    zips_.clear();
    pairs_.clear();
    std::size_t start = 0;
    auto next = [&](std::size_t k) {
      const std::string_view zip =
          std::string_view(comparing_).substr(start, ends_of_zips_[k] - start);
      start = ends_of_zips_[k];
      return zip;
    };
    for (std::size_t k = 0; k < ends_of_zips_.size(); k += 2) {
      const std::string_view first = next(k);
      pairs_.push_back({first, next(k + 1)});
    }
    ends_of_zips_.clear();
    text_.clear();
    ends_.clear();
    engine.compare(pairs_, options_, {}, LineOutput{&text_, '\0', &ends_});
    std::size_t line_start = 0;
    for (std::size_t end : ends_) {
      line(std::string_view(text_).substr(line_start, end - line_start));
      line_start = end;
    }
  }

 private:
  CompareOptions options_;
  std::string zips_, comparing_;  // waiting; being compared (the pairs' views)
  std::vector<std::size_t> ends_of_zips_;
  std::vector<ZipPair> pairs_;
  std::string text_;
  std::vector<std::size_t> ends_;
};

}  // namespace

void MainWindow::appendResult(std::string_view line) {
  results_->append(line, true);
}

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
  // Comparisons are collected and handed to the engine a block at a time; a change of
  // the options during the run takes effect from the entry where it was seen.
  PendingComparisons pending;
  bool reserved = false;
  auto compare_pending = [&] {
    trap.line(130,
              [&] { pending.run(engine_, [this](std::string_view line) { appendResult(line); }); });
    // Room for the whole run, judged by its first lines, so that a million lines are
    // not moved again and again as the list grows.
    if (!reserved && results_->size() > 0) {
      reserved = true;
      const std::size_t rows = zip_list_->size();
      const std::size_t per_line = results_->bytes() / results_->size() + 4;
      results_->reserve(rows, rows * per_line);
    }
  };
  // The view hears of new rows a few times a second: each announcement makes it lay
  // out its rows again, which costs more than the comparisons themselves.
  QElapsedTimer since_flush;
  since_flush.start();
  Yielder yield([&] {
    compare_pending();  // the lines so far are in the list before the window draws
    if (since_flush.elapsed() < 200) return;
    flushResults();
    since_flush.restart();
  });
  const std::size_t n = zip_list_->size();
  std::uint8_t wording = 0;
  QString reference;  // the reference box's text, converted when it changes
  std::string reference_utf8;
  for (std::size_t i = 0; i < n; ++i) {
    // Entries removed during the run end it at the list's current end.
    if (i >= zip_list_->size()) break;
    trap.line(116, [&] {
      const double m = static_cast<double>(zip_list_->size());
      progress_->setProgressValue(static_cast<double>(i + 1) / m * 100.0);
      const std::string_view name = after_last_backslash(zip_list_->text(i));
      progress_->setProgressText(QLatin1StringView("Processing: "), name);
    });
    yield.maybe();
    if (closing_) return;  // the window closed: the program ends without another word
    if (i >= zip_list_->size()) break;
    if (!isNumeric(zip_list_->text(i))) continue;
    if (options_.sentenceWording->isChecked())
      wording = 3;
    else if (options_.zipsAndDistanceWording->isChecked())
      wording = 4;
    else if (options_.distanceOnlyWording->isChecked())
      wording = 5;
    const bool use2016 = options_.use2016Table->isChecked();
    if (!pending.same_options(wording, use2016)) compare_pending();
    pending.set_options(wording, use2016);
    if (options_.consecutiveMode->isChecked() && i + 1 < zip_list_->size()) {
      pending.add(zip_part(zip_list_->text(i)), zip_part(zip_list_->text(i + 1)));
    } else if (options_.referenceMode->isChecked()) {
      if (reference_zip_->text() != reference) {
        reference = reference_zip_->text();
        reference_utf8 = reference.toStdString();
      }
      pending.add(zip_part(zip_list_->text(i)), zip_part(reference_utf8));
    }
    if (pending.full()) compare_pending();
  }
  compare_pending();
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
