#include "caption_progress_bar.h"

#include <algorithm>
#include <cmath>

namespace quorvane {

CaptionProgressBar::CaptionProgressBar(QWidget* parent) : QProgressBar(parent) {
  setRange(0, 100);
  setValue(0);
  setTextVisible(true);
  setAlignment(Qt::AlignCenter);
}

void CaptionProgressBar::setProgressValue(double value) {
  value_ = value;
  if (logging_) log_.push_back({value, QString()});
  // A value past the top is shown full.
  const int shown = static_cast<int>(std::clamp(std::floor(value), 0.0, 100.0));
  if (shown != QProgressBar::value()) setValue(shown);
}

void CaptionProgressBar::setProgressText(const QString& text) {
  if (logging_) log_.push_back({-1, text});
  if (text == caption_) return;
  caption_ = text;
  update();
}

}  // namespace quorvane
