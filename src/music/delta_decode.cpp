// Delta decoding. A load is mostly this loop over the sample data, a running sum whose every step waits
// for the one before; with SSE2 sixteen bytes are summed at a time by adding the vector to itself shifted
// by 1, 2, 4 and 8 lanes, and the last lane carries on into the next vector. The scalar loop takes the
// tail, and everything where SSE2 is missing.
#include "music/delta_decode.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace music {
namespace {

#if defined(__SSE2__)
// Every lane holds the value of the last word.
__m128i splat_last_word(__m128i v) {
  const __m128i high = _mm_shufflehi_epi16(v, 0xFF);
  return _mm_unpackhi_epi64(high, high);
}
// Every lane holds the value of the last byte.
__m128i splat_last_byte(__m128i v) { return splat_last_word(_mm_unpackhi_epi8(v, v)); }
#endif

}  // namespace

std::uint8_t delta_decode_8_bit(const std::uint8_t* deltas, std::size_t count, std::uint8_t previous,
                                std::int16_t* out) {
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  __m128i carry = _mm_set1_epi8(static_cast<char>(previous));
  for (; i + 16 <= count; i += 16) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(deltas + i));
    v = _mm_add_epi8(v, _mm_slli_si128(v, 1));
    v = _mm_add_epi8(v, _mm_slli_si128(v, 2));
    v = _mm_add_epi8(v, _mm_slli_si128(v, 4));
    v = _mm_add_epi8(v, _mm_slli_si128(v, 8));
    v = _mm_add_epi8(v, carry);
    carry = splat_last_byte(v);
    // Interleaving with zero bytes puts each value in the high byte of its word.
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_unpacklo_epi8(zero, v));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 8), _mm_unpackhi_epi8(zero, v));
  }
  previous = static_cast<std::uint8_t>(_mm_cvtsi128_si32(carry));
#endif
  std::uint32_t sum = previous;  // only its low byte counts; a full register keeps the loop fast
  for (; i < count; ++i) {
    sum += deltas[i];
    out[i] = static_cast<std::int16_t>(sum << 8);
  }
  return static_cast<std::uint8_t>(sum);
}

std::uint16_t delta_decode_16_bit(const std::uint8_t* deltas, std::size_t count, std::uint16_t previous,
                                  std::int16_t* out) {
  std::size_t i = 0;
#if defined(__SSE2__)
  __m128i carry = _mm_set1_epi16(static_cast<short>(previous));
  for (; i + 8 <= count; i += 8) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(deltas + 2 * i));  // x86 is little-endian
    v = _mm_add_epi16(v, _mm_slli_si128(v, 2));
    v = _mm_add_epi16(v, _mm_slli_si128(v, 4));
    v = _mm_add_epi16(v, _mm_slli_si128(v, 8));
    v = _mm_add_epi16(v, carry);
    carry = splat_last_word(v);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), v);
  }
  previous = static_cast<std::uint16_t>(_mm_cvtsi128_si32(carry));
#endif
  std::uint32_t sum = previous;  // only its low 16 bits count
  for (; i < count; ++i) {
    sum += deltas[2 * i] | deltas[2 * i + 1] << 8;
    out[i] = static_cast<std::int16_t>(sum);
  }
  return static_cast<std::uint16_t>(sum);
}

}  // namespace music
