#pragma once
// The progress bar with a caption over it, driven on a 0 to 100 scale.
#include <QProgressBar>
#include <vector>

#include "progress.h"

namespace quorvane {

class CaptionProgressBar : public QProgressBar, public Progress {
 public:
  explicit CaptionProgressBar(QWidget* parent = nullptr);

  void setProgressValue(double value) override;
  void setProgressText(const QString& text) override;
  QString text() const override { return caption_; }
  double progressValue() const { return value_; }

  // Every value and caption set, in order, while logging (for tests).
  struct Entry {
    double value;
    QString text;
  };
  void startLog() { log_.clear(), logging_ = true; }
  const std::vector<Entry>& log() const { return log_; }

 private:
  double value_ = 0;
  QString caption_ = kProgressIdleText;
  bool logging_ = false;
  std::vector<Entry> log_;
};

}  // namespace quorvane
