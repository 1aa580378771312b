// The distance run: each list entry against the next one or against the reference zip
// code, one result line per comparison.
#include <QElapsedTimer>
#include <QLineEdit>
#include <QRadioButton>
#include <algorithm>
#include <span>

#include "app/caption_progress_bar.h"
#include "app/list_view.h"
#include "app/main_window.h"
#include "app/option_button.h"
#include "app/prompt.h"
#include "engine/error_trap.h"
#include "engine/pairing.h"
#include "engine/text.h"
#include "output/yielder.h"

namespace quorvane {
namespace {

// The run's caption names an entry by its part after the last backslash; a slash is
// part of the entry like any other character.
std::string_view after_last_backslash(std::string_view entry) {
  const std::size_t at = entry.rfind('\\');
  return at == std::string_view::npos ? entry : entry.substr(at + 1);
}

}  // namespace

void MainWindow::flushResults() {
  const bool grew = results_->rowCount() < static_cast<int>(results_->size());
  results_->flushAsNewList();  // a run's first lines come to an empty view
  if (grew) results_view_->scrollToBottom();
}

// One run over the zip code list. Nothing it reads can change until it lets the event
// loop run: comparisons are collected and handed to the engine a block at a time, and
// the options, read again after each yield, take effect from the entry where they were
// seen.
class MainWindow::DistanceRun {
 public:
  DistanceRun(MainWindow& window, Trap& trap)
      : w_(window),
        trap_(trap),
        pairing_(window.decimal_separator_, window.group_separator_),
        yield_([this] { atYield(); }) {
    options_.wording = Wording::None;
    since_flush_.start();
  }

  // Goes through the list; false when the window closed during the run.
  bool go() {
    const TextListModel& list = *w_.zip_list_;
    std::size_t n = list.size();
    for (std::size_t i = 0; i < n; ++i) {
      entry_ = i;
      yield_.maybe();
      // Nothing can change the list, the options or the window between a yield and the
      // next one; after one (which clears options_seen_) they are looked at again.
      if (!options_seen_) {
        if (w_.closing_) return false;
        // Entries removed during the run end it at the list's current end.
        n = std::min(n, list.size());
        if (i >= n) break;
        readOptions();
      }
      if (i + 1 < list.size())
        pairing_.take_with_next(list.text(i), list.text(i + 1));
      else
        pairing_.take(list.text(i), std::nullopt);
      if (pairing_.full()) comparePending();
    }
    comparePending();
    showProgress();
    return true;
  }

 private:
  void atYield() {
    comparePending();  // the lines so far are in the list before the window draws
    showProgress();
    options_seen_ = false;
    // The view hears of new rows a few times a second: each announcement makes it lay
    // out its rows again, which costs more than the comparisons themselves.
    if (since_flush_.elapsed() < 200) return;
    w_.flushResults();
    since_flush_.restart();
  }

  void comparePending() {
    trap_.line(130, [&] {
      // Taken before comparing, so that a failure below does not compare them again.
      const std::span<const ZipPair> pairs = pairing_.pairs();
      if (pairs.empty()) return;
      pairing_.clear();
      w_.results_->appendWritten(true, [&](std::string& texts, std::vector<std::size_t>& ends) {
        w_.engine_.compare(pairs, options_, {}, LineOutput{&texts, '\0', &ends});
      });
    });
    // Room for the whole run, judged by its first lines, so that a million lines are
    // not moved again and again as the list grows.
    TextListModel& results = *w_.results_;
    if (!reserved_ && results.size() > 0) {
      reserved_ = true;
      const std::size_t rows = w_.zip_list_->size();
      results.reserve(rows, rows * (results.bytes() / results.size() + 4));
    }
  }

  // The bar shows the entry being processed whenever the window is drawn.
  void showProgress() {
    if (entry_ == shown_ || entry_ >= w_.zip_list_->size()) return;
    shown_ = entry_;
    trap_.line(116, [&] {
      const double m = static_cast<double>(w_.zip_list_->size());
      w_.progress_->setProgressValue(static_cast<double>(entry_ + 1) / m * 100.0);
      const std::string_view name = after_last_backslash(w_.zip_list_->text(entry_));
      w_.progress_->setProgressText(QLatin1StringView("Processing: "), name);
    });
  }

  void readOptions() {
    options_seen_ = true;
    const auto& o = w_.options_;
    if (o.sentenceWording->isChecked())
      options_.wording = Wording::Sentence;
    else if (o.zipsAndDistanceWording->isChecked())
      options_.wording = Wording::ZipsAndDistance;
    else if (o.distanceOnlyWording->isChecked())
      options_.wording = Wording::DistanceOnly;
    options_.use2016 = o.use2016Table->isChecked();
    const bool against_reference = o.referenceMode->isChecked();
    pairing_.set_mode(o.consecutiveMode->isChecked() ? Pairing::Mode::Consecutive
                      : against_reference            ? Pairing::Mode::Reference
                                                     : Pairing::Mode::None);
    if (against_reference && w_.reference_zip_->text() != reference_) {
      reference_ = w_.reference_zip_->text();
      pairing_.set_reference(reference_.toStdString());
    }
  }

  MainWindow& w_;
  Trap& trap_;
  Pairing pairing_;
  CompareOptions options_;
  bool options_seen_ = false;
  QString reference_;  // the reference box's text, handed on when it changes
  bool reserved_ = false;
  std::size_t entry_ = 0, shown_ = static_cast<std::size_t>(-1);
  QElapsedTimer since_flush_;
  Yielder yield_;
};

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
  engine_.unreadable_lookups = 0;
  results_->clear(/*keep_room=*/true);  // the run writes about as many lines again
  pointer_.set(PointerShape::Hourglass);
  {
    // The database is checked and read once per run; failures counted over the run
    // are reported when it ends, before the not-found list.
    ZipDistance::Batch batch(engine_);
    DistanceRun run(*this, trap);
    // A window closed during the run ends the program without another word.
    if (!run.go()) return;
  }
  flushResults();
  // After "Cannot read the zip code database" no zip code is said to be missing from it.
  if (!trim_blanks(engine_.not_found_zips).empty() && engine_.unreadable_lookups == 0) {
    trap.line(150, [&] {
      Prompt::instance().message(
          QStringLiteral("Latitude and longitude for zip codes: \r\n") +
          QString::fromStdString(engine_.not_found_zips) +
          QStringLiteral("\r\ncould not be found in the database. \r\n"
                         "Please use another location that is close to your desired location."));
    });
  }
  pointer_.set(PointerShape::Arrow);
  progress_->setProgressValue(0);
  progress_->setProgressText(kProgressIdleText);
  trap.line(160, [] { Prompt::instance().message(QStringLiteral("Done.")); });
  run_in_progress_ = false;
}

}  // namespace quorvane
