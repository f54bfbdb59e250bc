// The C library's `rand` as a Windows C runtime computes it, as a seedable object: same range
// (0..32767) and same sequence on every platform, so previews and tests draw the same particles.
#pragma once

#include <cstdint>

namespace base {

class CRand {
 public:
  static constexpr int max_value = 0x7FFF;

  explicit CRand(std::uint32_t seed = 1) : state_(seed) {}
  void seed(std::uint32_t seed) { state_ = seed; }
  // Next value in 0..32767.
  int next() {
    state_ = state_ * 214013u + 2531011u;
    return static_cast<int>((state_ >> 16) & 0x7FFF);
  }

 private:
  std::uint32_t state_;
};

}  // namespace base
