// Delta decoding of XM sample data: each stored value is the difference from the one before it, in the
// sample's own width and in wrap-around arithmetic. 8-bit values land in the high byte of the word.
#pragma once

#include <cstddef>
#include <cstdint>

namespace music {

// Decodes `count` bytes into `count` words, going on from `previous` (0 at a sample's start). Returns the
// last value, to go on with in the next piece of the same sample.
std::uint8_t delta_decode_8_bit(const std::uint8_t* deltas, std::size_t count, std::uint8_t previous,
                                std::int16_t* out);

// Decodes `count` little-endian byte pairs into `count` words; otherwise as above.
std::uint16_t delta_decode_16_bit(const std::uint8_t* deltas, std::size_t count, std::uint16_t previous,
                                  std::int16_t* out);

}  // namespace music
