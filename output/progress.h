#pragma once
#include <QString>

namespace quorvane {

// A progress bar as the run and the text export drive it: a value on a 0 to 100 scale
// and a caption.
class Progress {
 public:
  virtual ~Progress() = default;
  virtual void setProgressValue(double value) = 0;
  virtual void setProgressText(const QString& text) = 0;
};

inline const QString kProgressIdleText = QStringLiteral("Progress Bar");

}  // namespace quorvane
