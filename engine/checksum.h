#pragma once
// The checksum of the table file (see table_file.h): fast, for finding damage.
#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace quorvane {

// A fast checksum for finding damage (not an adversary): two independent lanes of
// multiply and rotate over 16-byte blocks, then a final mix. Fed in pieces of any size,
// it gives what one call over their concatenation gives.
class Checksum {
 public:
  void add(const void* data, std::size_t n) {
    if (n == 0) return;  // an empty part may come from an empty vector's null data
    const auto* p = static_cast<const unsigned char*>(data);
    total_ += n;
    if (held_ > 0) {
      const std::size_t take = std::min(n, sizeof block_ - held_);
      std::memcpy(block_ + held_, p, take);
      held_ += take;
      p += take;
      n -= take;
      if (held_ < sizeof block_) return;
      mix_block(block_);
      held_ = 0;
    }
    for (; n >= sizeof block_; p += sizeof block_, n -= sizeof block_) mix_block(p);
    std::memcpy(block_, p, n);
    held_ = n;
  }

  std::uint64_t value() const {
    Checksum last = *this;
    std::memset(last.block_ + held_, 0, sizeof block_ - held_);
    last.mix_block(last.block_);
    std::uint64_t x = last.a_ ^ std::rotl(last.b_, 17) ^ total_;
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdULL;
    x ^= x >> 33;
    x *= 0xc4ceb9fe1a85ec53ULL;
    return x ^ (x >> 33);
  }

 private:
  static constexpr std::uint64_t k1 = 0x87c37b91114253d5ULL, k2 = 0x4cf5ad432745937fULL;
  void mix_block(const unsigned char* p) {
    std::uint64_t w0, w1;
    std::memcpy(&w0, p, 8);
    std::memcpy(&w1, p + 8, 8);
    a_ = std::rotl(a_ ^ (w0 * k1), 31) * k2;
    b_ = std::rotl(b_ ^ (w1 * k2), 33) * k1;
  }

  std::uint64_t a_ = 0x9e3779b97f4a7c15ULL, b_ = 0xc2b2ae3d27d4eb4fULL, total_ = 0;
  unsigned char block_[16] = {};
  std::size_t held_ = 0;
};

inline std::uint64_t checksum(const void* data, std::size_t n) {
  Checksum c;
  c.add(data, n);
  return c.value();
}

}  // namespace quorvane
