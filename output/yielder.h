#pragma once
// Lets the event loop run during long loops, often enough that the window answers
// within a frame or two, but not for every item: an item of a run takes microseconds,
// a pass of the event loop far more.
#include <QElapsedTimer>
#include <functional>

namespace quorvane {

class Yielder {
 public:
  // `before` runs ahead of each real yield (flush pending rows, update a caption).
  explicit Yielder(std::function<void()> before = {}, int interval_ms = 15);

  // Yields when the interval has passed since the last yield.
  void maybe() {
    if (++calls_ >= kCheckEvery) {
      calls_ = 0;
      if (timer_.elapsed() >= interval_ms_) now();
    }
  }
  void now();

  // Every call yields (tests that interleave commands with a run use this).
  static void setAlwaysForTesting(bool always);

 private:
  static constexpr int kCheckEvery = 64;
  std::function<void()> before_;
  QElapsedTimer timer_;
  int interval_ms_;
  int calls_ = 0;
};

}  // namespace quorvane
