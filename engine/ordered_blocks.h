#pragma once
// Blocks of work filled one after another by one thread, computed on several threads,
// and delivered on the filling thread in the order they were filled, so that what is
// written is the same whatever the number of threads. A fixed ring of blocks is reused:
// memory stays the same however long the input. The filling thread computes blocks
// itself whenever it would otherwise wait. With one thread a block is computed and
// delivered as soon as it is filled.
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace quorvane {

// The most threads a command takes: each holds a few blocks of memory.
inline constexpr unsigned kMostThreads = 64;

// The threads a command uses when not told: one per core, at most kMostThreads.
inline unsigned default_threads() {
  const unsigned n = std::thread::hardware_concurrency();
  return n == 0 ? 1 : n < kMostThreads ? n : kMostThreads;
}

template <class Block>
class OrderedBlocks {
 public:
  using Step = std::function<void(Block&)>;

  // `work` runs on any thread and touches only its block; `deliver` runs on the
  // filling thread, in order. An exception from `work` is thrown again by deliver's call.
  OrderedBlocks(unsigned threads, std::function<std::unique_ptr<Block>()> make, Step work,
                Step deliver)
      : work_(std::move(work)), deliver_(std::move(deliver)) {
    threads = threads ? threads : 1;
    // A block for each thread at work, one being filled and one being written.
    const std::size_t ring = threads == 1 ? 1 : std::size_t{threads} + 2;
    for (std::size_t i = 0; i < ring; ++i) slots_.push_back({make(), State::Empty, nullptr});
    // A system that refuses another thread leaves the work to those there are.
    try {
      for (unsigned t = 1; t < threads; ++t) helpers_.emplace_back([this] { help(); });
    } catch (const std::system_error&) {
    }
  }
  ~OrderedBlocks() {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    work_ready_.notify_all();
    for (std::thread& t : helpers_) t.join();
  }
  OrderedBlocks(const OrderedBlocks&) = delete;
  OrderedBlocks& operator=(const OrderedBlocks&) = delete;

  // The block to fill next, emptied by the caller's own means.
  Block& next() {
    std::unique_lock lock(mutex_);
    while (slot(filled_).state != State::Empty) step(lock);
    return *slot(filled_).block;
  }
  // The block from next() is filled.
  void submit() {
    if (helpers_.empty()) {
      Slot& s = slot(filled_++);
      taken_ = delivered_ = filled_;  // counted first: a failure leaves nothing pending
      run(s);
      finish_slot(s);
      return;
    }
    {
      std::lock_guard lock(mutex_);
      slot(filled_++).state = State::Filled;
    }
    work_ready_.notify_one();
  }
  // Computes and delivers every block submitted.
  void finish() {
    std::unique_lock lock(mutex_);
    while (delivered_ != filled_) step(lock);
  }

 private:
  enum class State { Empty, Filled, Working, Done };
  struct Slot {
    std::unique_ptr<Block> block;
    State state;
    std::exception_ptr error;
  };

  Slot& slot(std::uint64_t n) { return slots_[n % slots_.size()]; }

  void run(Slot& s) {
    try {
      work_(*s.block);
    } catch (...) {
      s.error = std::current_exception();
    }
  }
  void finish_slot(Slot& s) {
    if (s.error) {
      std::exception_ptr e = std::move(s.error);
      s.error = nullptr;
      s.state = State::Empty;
      std::rethrow_exception(e);
    }
    // Emptied first: a delivery that throws leaves the slot free for the next block.
    // Only this thread fills slots, so none is filled before the delivery ends.
    s.state = State::Empty;
    deliver_(*s.block);
  }

  // Computes the oldest block no thread has taken; the lock is held before and after.
  void take_and_run(std::unique_lock<std::mutex>& lock) {
    Slot& s = slot(taken_++);
    s.state = State::Working;
    lock.unlock();
    run(s);
    lock.lock();
    s.state = State::Done;
  }

  // One move of the filling thread: deliver the oldest block when done, else compute
  // the oldest block no thread has taken, else wait for a helper.
  void step(std::unique_lock<std::mutex>& lock) {
    Slot& oldest = slot(delivered_);
    if (delivered_ != filled_ && oldest.state == State::Done) {
      lock.unlock();
      struct Relock {
        std::unique_lock<std::mutex>& l;
        ~Relock() { l.lock(); }
      } relock{lock};
      ++delivered_;  // only this thread moves it
      finish_slot(oldest);
      return;
    }
    if (taken_ != filled_) {
      take_and_run(lock);
      return;
    }
    done_.wait(lock);
  }

  void help() {
    std::unique_lock lock(mutex_);
    for (;;) {
      work_ready_.wait(lock, [this] { return stop_ || taken_ != filled_; });
      if (stop_) return;
      take_and_run(lock);
      done_.notify_one();
    }
  }

  Step work_, deliver_;
  std::vector<Slot> slots_;
  std::vector<std::thread> helpers_;
  std::mutex mutex_;
  std::condition_variable work_ready_, done_;
  std::uint64_t filled_ = 0, taken_ = 0, delivered_ = 0;
  bool stop_ = false;
};

}  // namespace quorvane
