#include "app/caption_progress_bar.h"

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
  repaintOnce();
}

void CaptionProgressBar::repaintOnce() {
  if (repaint_pending_) return;
  repaint_pending_ = true;
  update();
}

void CaptionProgressBar::paintEvent(QPaintEvent* event) {
  repaint_pending_ = false;
  QProgressBar::paintEvent(event);
}

void CaptionProgressBar::setProgressText(QLatin1StringView prefix, std::string_view name) {
  const bool ascii = std::all_of(name.begin(), name.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (!ascii) {
    setProgressText(prefix + QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
    return;
  }
  const QLatin1StringView tail(name.data(), static_cast<qsizetype>(name.size()));
  const bool same = caption_.size() == prefix.size() + tail.size() &&
                    QStringView(caption_).left(prefix.size()) == prefix &&
                    QStringView(caption_).mid(prefix.size()) == tail;
  if (!same) {
    caption_.resize(0);  // keeps the buffer
    caption_.append(prefix);
    caption_.append(tail);
    repaintOnce();
  }
  if (logging_) log_.push_back({-1, caption_});
}

}  // namespace quorvane
