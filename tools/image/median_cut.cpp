// Median-cut colour reduction.
#include "tools/image/median_cut.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <optional>

namespace tools {
namespace {

std::uint32_t key_of(Rgb888 c) { return (std::uint32_t{c.r} << 16) | (std::uint32_t{c.g} << 8) | c.b; }
Rgb888 colour_of_key(std::uint32_t k) {
  return {static_cast<std::uint8_t>(k >> 16), static_cast<std::uint8_t>(k >> 8), static_cast<std::uint8_t>(k)};
}
int channel(Rgb888 c, int which) { return which == 0 ? c.r : which == 1 ? c.g : c.b; }

// A run [begin, end) of the colours being cut.
struct Box {
  std::size_t begin, end;
};

// The channel with the widest spread in the box, and that spread.
std::pair<int, int> widest_channel(const std::vector<Rgb888>& colours, const Box& box) {
  std::array<int, 3> low{255, 255, 255}, high{0, 0, 0};
  for (std::size_t i = box.begin; i < box.end; ++i) {
    for (int k = 0; k < 3; ++k) {
      low[k] = std::min(low[k], channel(colours[i], k));
      high[k] = std::max(high[k], channel(colours[i], k));
    }
  }
  int best = 0;
  for (int k = 1; k < 3; ++k) {
    if (high[k] - low[k] > high[best] - low[best]) best = k;
  }
  return {best, high[best] - low[best]};
}

Rgb888 mean_of(const std::vector<Rgb888>& colours, const Box& box) {
  std::array<std::uint64_t, 3> sum{};
  for (std::size_t i = box.begin; i < box.end; ++i) {
    for (int k = 0; k < 3; ++k) sum[k] += static_cast<std::uint64_t>(channel(colours[i], k));
  }
  const std::uint64_t n = box.end - box.begin;
  return {static_cast<std::uint8_t>((sum[0] + n / 2) / n), static_cast<std::uint8_t>((sum[1] + n / 2) / n),
          static_cast<std::uint8_t>((sum[2] + n / 2) / n)};
}

// The box worth cutting next: the one with the widest spread times its size; none when no box spreads.
std::optional<std::size_t> box_to_cut(const std::vector<Rgb888>& colours, const std::vector<Box>& boxes) {
  std::optional<std::size_t> best;
  double best_score = 0;
  for (std::size_t b = 0; b < boxes.size(); ++b) {
    const double score = widest_channel(colours, boxes[b]).second * std::sqrt(double(boxes[b].end - boxes[b].begin));
    if (score > best_score) {
      best_score = score;
      best = b;
    }
  }
  return best;
}

}  // namespace

std::size_t distinct_colour_count(const std::vector<Rgb888>& colours) {
  std::vector<std::uint32_t> keys;
  keys.reserve(colours.size());
  for (Rgb888 c : colours) keys.push_back(key_of(c));
  std::sort(keys.begin(), keys.end());
  return static_cast<std::size_t>(std::unique(keys.begin(), keys.end()) - keys.begin());
}

std::vector<Rgb888> median_cut_palette(const std::vector<Rgb888>& colours, int count) {
  std::vector<std::uint32_t> keys;
  for (Rgb888 c : colours) keys.push_back(key_of(c));
  std::sort(keys.begin(), keys.end());
  keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
  std::vector<Rgb888> palette;
  if (keys.size() <= static_cast<std::size_t>(count)) {
    for (std::uint32_t k : keys) palette.push_back(colour_of_key(k));
    return palette;
  }
  std::vector<Rgb888> work = colours;
  std::vector<Box> boxes{{0, work.size()}};
  while (boxes.size() < static_cast<std::size_t>(count)) {
    const auto cut = box_to_cut(work, boxes);
    if (!cut) break;
    const Box box = boxes[*cut];
    const int k = widest_channel(work, box).first;
    const auto middle = work.begin() + static_cast<std::ptrdiff_t>((box.begin + box.end) / 2);
    std::nth_element(work.begin() + static_cast<std::ptrdiff_t>(box.begin), middle,
                     work.begin() + static_cast<std::ptrdiff_t>(box.end),
                     [k](Rgb888 a, Rgb888 b) { return channel(a, k) < channel(b, k); });
    const auto half = static_cast<std::size_t>(middle - work.begin());
    boxes[*cut] = {box.begin, half};
    boxes.push_back({half, box.end});
  }
  for (const Box& box : boxes) palette.push_back(mean_of(work, box));
  return palette;
}

int nearest_entry(const std::vector<Rgb888>& palette, Rgb888 c, int first) {
  int best = first;
  int best_distance = 1 << 30;
  for (int i = first; i < static_cast<int>(palette.size()); ++i) {
    const int dr = palette[i].r - c.r, dg = palette[i].g - c.g, db = palette[i].b - c.b;
    const int distance = dr * dr + dg * dg + db * db;
    if (distance < best_distance) {
      best_distance = distance;
      best = i;
    }
  }
  return best;
}

}  // namespace tools
