#include "output/yielder.h"

#include <QCoreApplication>

namespace quorvane {
namespace {
bool always = false;
}

Yielder::Yielder(std::function<void()> before, int interval_ms)
    : before_(std::move(before)), interval_ms_(always ? 0 : interval_ms) {
  timer_.start();
  if (always) calls_ = kCheckEvery;
}

void Yielder::now() {
  if (before_) before_();
  QCoreApplication::processEvents();
  timer_.restart();
  if (always) calls_ = kCheckEvery;
}

void Yielder::setAlwaysForTesting(bool on) {
  always = on;
}

}  // namespace quorvane
