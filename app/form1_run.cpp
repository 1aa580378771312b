// The distance run: each list entry against the next one or against the reference zip
// code, one result line per comparison.
#include <QElapsedTimer>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableView>
#include <optional>

#include "caption_progress_bar.h"
#include "error_trap.h"
#include "form1.h"
#include "option_button.h"
#include "prompt.h"
#include "text.h"
#include "yielder.h"

namespace quorvane {
namespace {

// The comparisons of a run waiting for the engine, with their zip codes.
class PendingComparisons {
 public:
  static constexpr std::size_t kBlock = 512;

  bool same_options(std::uint8_t wording, bool use2016) const {
    return zips_.empty() || (wording == options_.wording && use2016 == options_.use2016);
  }
  void set_options(std::uint8_t wording, bool use2016) {
    options_.wording = wording;
    options_.use2016 = use2016;
  }
  void add(std::string first, std::string second) {
    zips_.push_back(std::move(first));
    zips_.push_back(std::move(second));
  }
  bool full() const { return zips_.size() >= 2 * kBlock; }

  // Compares what is waiting and hands each line on, in order.
  template <class F>
  void run(ZipDistance& engine, F&& line) {
    if (zips_.empty()) return;
    pairs_.clear();
    for (std::size_t k = 0; k < zips_.size(); k += 2) pairs_.push_back({zips_[k], zips_[k + 1]});
    text_.clear();
    ends_.clear();
    zips_.clear();  // a failure below must not compare these again
    engine.compare(pairs_, options_, {}, LineOutput{&text_, '\0', &ends_});
    std::size_t start = 0;
    for (std::size_t end : ends_) {
      line(std::string_view(text_).substr(start, end - start));
      start = end;
    }
  }

 private:
  CompareOptions options_;
  std::vector<std::string> zips_;
  std::vector<ZipPair> pairs_;
  std::string text_;
  std::vector<std::size_t> ends_;
};

}  // namespace

void Form1::appendResult(std::string_view line) {
  results_->append(line, true);
}

void Form1::flushResults() {
  const bool grew = results_->rowCount() < static_cast<int>(results_->size());
  results_->flush();
  if (grew) list_view2_->scrollToBottom();
}

void Form1::PushButton17_Click() {
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
  auto compare_pending = [&] {
    trap.line(130,
              [&] { pending.run(engine_, [this](std::string_view line) { appendResult(line); }); });
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
  for (std::size_t i = 0; i < n; ++i) {
    // Entries removed during the run end it at the list's current end.
    if (i >= zip_list_->size()) break;
    trap.line(116, [&] {
      const double m = static_cast<double>(zip_list_->size());
      progress_->setProgressValue(static_cast<double>(i + 1) / m * 100.0);
      const std::string_view name = file_name_part(zip_list_->text(i));
      progress_->setProgressText(QLatin1StringView("Processing: "), name);
    });
    yield.maybe();
    if (closing_) return;  // the window closed: the program ends without another word
    if (i >= zip_list_->size()) break;
    if (!isNumeric(zip_list_->text(i))) continue;
    if (options_[3]->isChecked())
      wording = 3;
    else if (options_[4]->isChecked())
      wording = 4;
    else if (options_[5]->isChecked())
      wording = 5;
    const bool use2016 = options_[7]->isChecked();
    if (!pending.same_options(wording, use2016)) compare_pending();
    pending.set_options(wording, use2016);
    if (options_[1]->isChecked() && i + 1 < zip_list_->size())
      pending.add(zip_of_entry(zip_list_->text(i)), zip_of_entry(zip_list_->text(i + 1)));
    else if (options_[2]->isChecked())
      pending.add(zip_of_entry(zip_list_->text(i)), zip_of_entry(text1_->text().toStdString()));
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
