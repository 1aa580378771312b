#pragma once
#include <QRadioButton>

namespace quorvane {

// An option button whose frame keeps at most one selected. Unlike Qt's exclusive
// groups it can be cleared by the program, so a frame may have none selected (as a
// restored state may say); a click always selects.
class OptionButton : public QRadioButton {
 public:
  using QRadioButton::QRadioButton;

 protected:
  void nextCheckState() override { setChecked(true); }
};

}  // namespace quorvane
