#pragma once
// The progress bar with a caption over it, driven on a 0 to 100 scale.
#include <QProgressBar>
#include <string_view>
#include <vector>

#include "output/progress.h"

namespace quorvane {

class CaptionProgressBar : public QProgressBar, public Progress {
 public:
  explicit CaptionProgressBar(QWidget* parent = nullptr);

  void setProgressValue(double value) override;
  void setProgressText(const QString& text) override;
  // The caption `prefix` + `name` (UTF-8), built in the caption's own buffer: a run
  // sets one for every entry, and this costs no allocation per entry.
  void setProgressText(QLatin1StringView prefix, std::string_view name);
  QString text() const override { return caption_; }
  double progressValue() const { return value_; }

  // Every value and caption set, in order, while logging (for tests).
  struct Entry {
    double value;
    QString text;
  };
  void startLog() { log_.clear(), logging_ = true; }
  const std::vector<Entry>& log() const { return log_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  // Asks for one repaint however many captions are set before it happens: a run sets
  // one per entry, thousands between two frames.
  void repaintOnce();

  bool repaint_pending_ = false;
  double value_ = 0;
  QString caption_ = kProgressIdleText;
  bool logging_ = false;
  std::vector<Entry> log_;
};

}  // namespace quorvane
