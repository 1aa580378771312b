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
#include "engine/ordered_blocks.h"
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
// loop run: comparisons are collected a block at a time, each block compared on any of
// the run's threads and its lines added to the results in the list's order; before
// the event loop runs, every block is compared and its lines are in the list. The
// options, read again after each yield, take effect from the entry where they were seen.
class MainWindow::DistanceRun {
 public:
  DistanceRun(MainWindow& window, Trap& trap)
      : w_(window),
        trap_(trap),
        yield_([this] { atYield(); }),
        threads_(window.env_.runThreads ? window.env_.runThreads : default_threads()),
        blocks_(
            threads_, [this] { return makeBlock(); }, [this](Block& b) { compute(b); },
            [this](Block& b) { deliver(b); }) {
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
      Pairing& pairing = *filling().pairing;
      if (i + 1 < list.size())
        pairing.take_with_next(list.text(i), list.text(i + 1));
      else
        pairing.take(list.text(i), std::nullopt);
      if (pairing.full()) submit();
    }
    compareAll();
    showProgress();
    return true;
  }

 private:
  // A block of comparisons with the options of its first entry. With more than one
  // thread it is compared by an engine of its own over the run's tables, whose reports
  // wait until the block's lines are added.
  struct Block {
    std::unique_ptr<Pairing> pairing;
    CompareOptions options;
    std::uint64_t reference_seen = 0;
    std::unique_ptr<ZipDistance> helper;
    bool helper_uses_2016 = false;
    std::string text;
    std::vector<std::size_t> ends;
  };

  std::unique_ptr<Block> makeBlock() {
    auto b = std::make_unique<Block>();
    b->pairing = std::make_unique<Pairing>(w_.decimal_separator_, w_.group_separator_);
    return b;
  }

  // The block being filled, taken and set up with the run's current options.
  Block& filling() {
    if (filling_) return *filling_;
    // Taking a block adds the lines of those compared; a failure there is reported and
    // the next block is taken.
    while (!filling_) trap_.line(130, [&] { filling_ = &blocks_.next(); });
    Block& b = *filling_;
    b.pairing->clear();
    b.pairing->set_mode(mode_);
    if (b.reference_seen != reference_version_) {
      b.reference_seen = reference_version_;
      b.pairing->set_reference(reference_zip_);
    }
    b.options = options_;
    if (threads_ > 1 && (!b.helper || b.helper_uses_2016 != options_.use2016)) {
      b.helper = w_.engine_.helper(options_.use2016);
      b.helper_uses_2016 = options_.use2016;
    }
    return b;
  }

  void submit() {
    if (!filling_) return;
    filling_ = nullptr;
    trap_.line(130, [&] { blocks_.submit(); });
  }

  // Every block compared and its lines in the list.
  void compareAll() {
    submit();
    for (bool done = false; !done;)
      trap_.line(130, [&] {
        blocks_.finish();
        done = true;
      });
  }

  // On any thread. With one thread the lines are written straight into the list.
  void compute(Block& b) {
    if (!b.helper) return;
    b.text.clear();
    b.ends.clear();
    b.helper->compare(b.pairing->pairs(), b.options, {}, LineOutput{&b.text, '\0', &b.ends});
  }

  // On the window's thread, in the list's order.
  void deliver(Block& b) {
    const std::span<const ZipPair> pairs = b.pairing->pairs();
    if (pairs.empty()) return;
    TextListModel& results = *w_.results_;
    if (b.helper) {
      w_.engine_.absorb(*b.helper);
      results.appendRows(b.text, b.ends, true);
    } else {
      results.appendWritten(true, [&](std::string& texts, std::vector<std::size_t>& ends) {
        w_.engine_.compare(pairs, b.options, {}, LineOutput{&texts, '\0', &ends});
      });
    }
    // Room for the whole run, judged by its first lines, so that a million lines are
    // not moved again and again as the list grows.
    if (!reserved_ && results.size() > 0) {
      reserved_ = true;
      const std::size_t rows = w_.zip_list_->size();
      results.reserve(rows, rows * (results.bytes() / results.size() + 4));
    }
  }

  void atYield() {
    compareAll();  // the lines so far are in the list before the window draws
    showProgress();
    options_seen_ = false;
    // The view hears of new rows a few times a second: each announcement makes it lay
    // out its rows again, which costs more than the comparisons themselves.
    if (since_flush_.elapsed() < 200) return;
    w_.flushResults();
    since_flush_.restart();
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
    mode_ = o.consecutiveMode->isChecked() ? Pairing::Mode::Consecutive
            : against_reference            ? Pairing::Mode::Reference
                                           : Pairing::Mode::None;
    if (against_reference && w_.reference_zip_->text() != reference_) {
      reference_ = w_.reference_zip_->text();
      reference_zip_ = reference_.toStdString();
      ++reference_version_;
    }
  }

  MainWindow& w_;
  Trap& trap_;
  CompareOptions options_;
  Pairing::Mode mode_ = Pairing::Mode::None;
  bool options_seen_ = false;
  QString reference_;  // the reference box's text, handed on when it changes
  std::string reference_zip_;
  std::uint64_t reference_version_ = 0;
  bool reserved_ = false;
  std::size_t entry_ = 0, shown_ = static_cast<std::size_t>(-1);
  QElapsedTimer since_flush_;
  Yielder yield_;
  Block* filling_ = nullptr;
  const unsigned threads_;
  OrderedBlocks<Block> blocks_;  // last: its threads end before the rest goes
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
