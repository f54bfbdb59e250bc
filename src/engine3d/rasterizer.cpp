// Triangle rasterizer and depth buffer.
#include "engine3d/rasterizer.h"

#include <algorithm>
#include <new>

#include "base/frame_geometry.h"

namespace engine3d {
namespace {

using base::fix_ceil;
using base::fix_div;
using base::fix_mul;
using base::fix_mul14;
using base::truncate_to_int32;

constexpr int depth_block_size = base::frame_pixel_count + depth_buffer_spare_entries;
constexpr Fixed16 screen_bottom = base::frame_height * base::fixed_one;
constexpr int max_shade_level = base::shade_level_count - 1;
constexpr double two_to_minus_16 = 1.0 / 65536.0;
constexpr double two_to_minus_32 = two_to_minus_16 * two_to_minus_16;

// The walk adds and subtracts in wrapping 32-bit arithmetic: corners far off the screen make values
// wrap, which must stay meaningless rather than undefined. Well-formed corners never wrap.
constexpr Fixed16 wrap_add(Fixed16 a, Fixed16 b) {
  return static_cast<Fixed16>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}
constexpr Fixed16 wrap_sub(Fixed16 a, Fixed16 b) {
  return static_cast<Fixed16>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}
constexpr Fixed16 pixel_to_fixed(std::int32_t pixel) {
  return static_cast<Fixed16>(static_cast<std::uint32_t>(pixel) << 16);
}

// The values interpolated over the triangle besides x: u, v, shade, depth.
constexpr int attribute_count = 4;
using Attributes = std::array<Fixed16, attribute_count>;

Attributes attributes_of(const ScreenCorner& c) { return {c.u, c.v, c.shade, c.depth}; }

// One side of the triangle, walked one row at a time along one segment between two corners.
struct Edge {
  Fixed16 x = 0;
  Fixed16 x_step = 0;
  Attributes values{};  // at x; walked on the left edge only
  Attributes steps{};
};

// The attributes a triangle walks: all four, or only shade and depth when u and v are the same at all
// three corners (the intro's objects show one texel each), so that every step of u and v would be 0.
template <bool one_texel>
constexpr int first_walked_attribute = one_texel ? 2 : 0;

// The vertical extent of a segment, which every step of the segment is divided by.
struct SegmentHeight {
  Fixed16 delta_y;  // never 0
  int rows;
  Fixed16 inverse;  // 2^30 / Δy, for a one-row segment
};

SegmentHeight segment_height(Fixed16 delta_y, int rows) {
  return {delta_y, rows, rows == 1 ? (1 << 30) / delta_y : 0};
}

// Per-row step of a value that changes by `delta` over the segment.
Fixed16 segment_step(Fixed16 delta, const SegmentHeight& height) {
  if (delta == 0) return 0;  // the value never changes: spare the division
  // A one-row segment may be nearly horizontal: scaling by 2^30 / Δy avoids dividing a large delta
  // by a tiny Δy.
  if (height.rows == 1) return fix_mul14(delta, height.inverse);
  return fix_div(delta, height.delta_y);
}

// The value at the first row of the segment from `from`, which lies below `from`'s y by less than a row.
Fixed16 at_first_row(Fixed16 value, Fixed16 step, Fixed16 from_y) {
  return wrap_add(value, fix_mul(wrap_sub(pixel_to_fixed(fix_ceil(from_y)), from_y), step));
}

// Sets `edge` on the segment from `from` down to `to`, `rows` (at least 1) rows high, at its first row;
// only the left edge carries the attributes.
template <bool one_texel>
inline void set_up_segment(Edge& edge, const ScreenCorner& from, const ScreenCorner& to, int rows, bool left) {
  // Different first rows mean different y, so Δy is never 0 here.
  const SegmentHeight height = segment_height(wrap_sub(to.y, from.y), rows);
  edge.x_step = segment_step(wrap_sub(to.x, from.x), height);
  edge.x = at_first_row(from.x, edge.x_step, from.y);
  if (!left) return;
  const Attributes a = attributes_of(from);
  const Attributes b = attributes_of(to);
  for (int i = first_walked_attribute<one_texel>; i < attribute_count; ++i) {
    edge.steps[i] = segment_step(wrap_sub(b[i], a[i]), height);
    edge.values[i] = at_first_row(a[i], edge.steps[i], from.y);
  }
}

// One row further down within the current segment.
template <bool left, bool one_texel>
inline void step_within_segment(Edge& edge) {
  edge.x = wrap_add(edge.x, edge.x_step);
  if constexpr (left) {
    for (int i = first_walked_attribute<one_texel>; i < attribute_count; ++i) {
      edge.values[i] = wrap_add(edge.values[i], edge.steps[i]);
    }
  }
}

// The per-pixel change of each walked attribute along x; constant over the triangle. `area` is never 0.
// The others are left 0, which is what they would come to.
template <bool one_texel>
Attributes gradients_of(const ScreenTriangle& t, double area) {
  const double a = static_cast<double>(std::int64_t{t.corners[1].y} - t.corners[2].y) * two_to_minus_16;
  const double b = static_cast<double>(std::int64_t{t.corners[0].y} - t.corners[2].y) * two_to_minus_16;
  const Attributes v0 = attributes_of(t.corners[0]);
  const Attributes v1 = attributes_of(t.corners[1]);
  const Attributes v2 = attributes_of(t.corners[2]);
  const double per_area = 1.0 / area;  // one division for the four gradients
  Attributes gradients{};
  for (int i = first_walked_attribute<one_texel>; i < attribute_count; ++i) {
    const double d02 = static_cast<double>(std::int64_t{v0[i]} - v2[i]);
    const double d12 = static_cast<double>(std::int64_t{v1[i]} - v2[i]);
    gradients[i] = truncate_to_int32((d02 * a - d12 * b) * per_area);
  }
  return gradients;
}

// Twice the signed area in pixels: negative when the corners run counter-clockwise on the screen.
double signed_area_of(const ScreenTriangle& t) {
  const auto& c = t.corners;
  const double x02 = static_cast<double>(std::int64_t{c[0].x} - c[2].x);
  const double x12 = static_cast<double>(std::int64_t{c[1].x} - c[2].x);
  const double y02 = static_cast<double>(std::int64_t{c[0].y} - c[2].y);
  const double y12 = static_cast<double>(std::int64_t{c[1].y} - c[2].y);
  return (x02 * y12 - x12 * y02) * two_to_minus_32;
}

// The texel at 16.16 texture coordinates (u, v): byte (u + 256·v) modulo 65536 of the map.
inline std::uint32_t texel_at(const TextureMap& texture, std::uint32_t u, std::uint32_t v) {
  return texture[((u >> 16) + ((v >> 8) & 0xFF00)) & 0xFFFF];
}

// The corners the walk starts and ends at: the first with the smallest y and the first with the largest,
// picked without branches, which a stream of small triangles in every orientation would mispredict.
struct VerticalOrder {
  int top;
  int bottom;
};

VerticalOrder vertical_order_of(const ScreenTriangle& t) {
  const Fixed16 y0 = t.corners[0].y, y1 = t.corners[1].y, y2 = t.corners[2].y;
  const Fixed16 top_y = y1 < y0 ? y1 : y0;
  const Fixed16 bottom_y = y1 > y0 ? y1 : y0;
  return {y2 < top_y ? 2 : (y1 < y0 ? 1 : 0), y2 > bottom_y ? 2 : (y1 > y0 ? 1 : 0)};
}

// Whether u and v are the same at all three corners, and so at every pixel.
bool shows_one_texel(const ScreenTriangle& t) {
  const auto& c = t.corners;
  return c[0].u == c[1].u && c[1].u == c[2].u && c[0].v == c[1].v && c[1].v == c[2].v;
}

// Whether all three corners start on the same row, so that no edge has a row to draw (a triangle within
// one row, or none of area).
bool starts_no_row(const ScreenTriangle& t) {
  const auto& c = t.corners;
  return fix_ceil(c[0].y) == fix_ceil(c[1].y) && fix_ceil(c[1].y) == fix_ceil(c[2].y);
}

// What every row of one triangle is drawn into and with.
struct TriangleFill {
  std::uint16_t* frame;
  std::int16_t* depth;
  const TextureMap& texture;
  const base::ShadeTable& shades;
  Attributes gradients;
  // For a triangle that shows one texel, that texel's colour at level 0; level L lies L · palette_size
  // entries on, so a pixel needs no look-up of the texel.
  const std::uint16_t* texel_shades;
};

template <bool one_texel>
TriangleFill fill_of(const ScreenTriangle& t, double area, std::uint16_t* frame, const TextureMap& texture,
                     const base::ShadeTable& shades, DepthBuffer& depth) {
  return {frame, depth.entries(), texture, shades, gradients_of<one_texel>(t, area),
          &shades[0][texel_at(texture, t.corners[0].u, t.corners[0].v)]};
}

// Fills columns start … end − 1 (inside 0 … 639) of one row; `values` are the attributes at `start`. With
// `one_texel`, u and v are not walked and the texel is the triangle's one.
template <bool one_texel>
inline void draw_span(const TriangleFill& fill, std::ptrdiff_t row_offset, int start, int end,
                      const Attributes& values) {
  std::uint16_t* frame_row = fill.frame + row_offset;
  std::int16_t* depth_row = fill.depth + row_offset;
  auto u = static_cast<std::uint32_t>(values[0]);
  auto v = static_cast<std::uint32_t>(values[1]);
  auto shade = static_cast<std::uint32_t>(values[2]);
  auto depth = static_cast<std::uint32_t>(values[3]);
  const auto du = static_cast<std::uint32_t>(fill.gradients[0]);
  const auto dv = static_cast<std::uint32_t>(fill.gradients[1]);
  const auto dshade = static_cast<std::uint32_t>(fill.gradients[2]);
  const auto ddepth = static_cast<std::uint32_t>(fill.gradients[3]);
  // The depth test compares with the stored depth as the upper half of a 32-bit value whose lower half
  // is the left neighbour's stored depth, as one read of the two entries gives it. The neighbour is
  // carried over from the column before rather than read again, so no read waits on the store just made.
  auto left = static_cast<std::uint16_t>(depth_row[start - 1]);
  for (int k = start; k < end; ++k) {
    const auto here = static_cast<std::uint16_t>(depth_row[k]);
    const auto stored = static_cast<std::int32_t>(static_cast<std::uint32_t>(here) << 16 | left);
    left = here;
    if (static_cast<std::int32_t>(depth) > stored) {
      const int level = std::clamp(static_cast<std::int32_t>(shade) >> 16, 0, max_shade_level);
      if constexpr (one_texel) {
        frame_row[k] = fill.texel_shades[level * base::palette_size];
      } else {
        frame_row[k] = fill.shades[level][texel_at(fill.texture, u, v)];
      }
      left = static_cast<std::uint16_t>(depth >> 16);
      depth_row[k] = static_cast<std::int16_t>(left);
    }
    if constexpr (!one_texel) {
      u += du;
      v += dv;
    }
    shade += dshade;
    depth += ddepth;
  }
}

// Draws the part of row `row` (inside 0 … 479) between the two edges.
template <bool one_texel>
inline void draw_row(const TriangleFill& fill, int row, const Edge& left, const Edge& right) {
  const int start = std::max(fix_ceil(left.x), 0);
  const int end = std::min(fix_ceil(right.x), base::frame_width);
  if (end <= start) return;
  const Fixed16 to_first_pixel = wrap_sub(pixel_to_fixed(start), left.x);
  Attributes values{};
  for (int i = first_walked_attribute<one_texel>; i < attribute_count; ++i) {
    values[i] = wrap_add(left.values[i], fix_mul(to_first_pixel, fill.gradients[i]));
  }
  draw_span<one_texel>(fill, std::ptrdiff_t{row} * base::frame_width, start, end, values);
}

// Draws `rows` rows from `row` on (those above the screen walked but not drawn, none below it), both
// edges one row further down between two rows; returns the row after the last one walked.
template <bool one_texel>
inline int walk_block(const TriangleFill& fill, int row, int rows, Edge& left, Edge& right) {
  const int end = row + std::min(rows, base::frame_height - row);
  if (end <= row) return row;
  for (;;) {
    if (row >= 0) draw_row<one_texel>(fill, row, left, right);
    if (++row == end) return row;
    step_within_segment<false, one_texel>(right);
    step_within_segment<true, one_texel>(left);
  }
}

// Walks both edges down from the top corner to the bottom one and fills the rows between them; the walk
// ends at the screen's last row. One edge runs straight from top to bottom, the other turns at the
// middle corner, so the rows come in two blocks: down to the middle corner's first row, and on from it.
// The left edge runs through increasing corner numbers. Returns the row after the last one walked, or
// `first_row` (that of the top corner) when there was none.
template <bool one_texel>
int walk_rows(const ScreenTriangle& t, int top, int bottom, int first_row, const TriangleFill& fill) {
  const ScreenCorner& high = t.corners[top];
  const ScreenCorner& middle = t.corners[3 - top - bottom];
  const ScreenCorner& low = t.corners[bottom];
  // Row counts wrap for corners far off the screen: a segment without rows is passed over, and the walk
  // ends with the straight edge.
  const int all_rows = fix_ceil(low.y) - first_row;
  if (all_rows <= 0) return first_row;
  const int upper_rows = fix_ceil(middle.y) - first_row;
  const int lower_rows = fix_ceil(low.y) - fix_ceil(middle.y);
  const bool left_is_straight = (top + 1) % 3 == bottom;
  Edge straight;
  Edge turning;
  set_up_segment<one_texel>(straight, high, low, all_rows, left_is_straight);
  Edge& left = left_is_straight ? straight : turning;
  Edge& right = left_is_straight ? turning : straight;
  int row = first_row;
  int rows_left = all_rows;
  if (upper_rows > 0) {
    set_up_segment<one_texel>(turning, high, middle, upper_rows, !left_is_straight);
    const int rows = std::min(upper_rows, all_rows);
    row = walk_block<one_texel>(fill, row, rows, left, right);
    rows_left -= rows;
    if (rows_left == 0 || row >= base::frame_height) return row;
    if (left_is_straight) {
      step_within_segment<true, one_texel>(straight);
    } else {
      step_within_segment<false, one_texel>(straight);
    }
  }
  set_up_segment<one_texel>(turning, middle, low, lower_rows, !left_is_straight);
  return walk_block<one_texel>(fill, row, rows_left, left, right);
}

// Widens the depth buffer's record of drawn rows by the rows from `first_row` up to `end_row` that lie on
// the screen. A triangle without rows may widen it by rows it did not draw, which only clears them again.
void note_drawn_rows(DepthBuffer& depth, int first_row, int end_row) {
  depth.first_drawn_row = std::min(depth.first_drawn_row, std::max(first_row, 0));
  depth.end_drawn_row = std::max(depth.end_drawn_row, std::min(end_row, base::frame_height));
}

void forget_drawn_rows(DepthBuffer& depth) {
  depth.first_drawn_row = base::frame_height;
  depth.end_drawn_row = 0;
}

}  // namespace

DepthBuffer depth_buffer;

bool allocate_depth_buffer(DepthBuffer& target) {
  target.block.reset(new (std::nothrow) std::int16_t[depth_block_size]());
  forget_drawn_rows(target);
  return target.block != nullptr;
}

void clear_depth_buffer(DepthBuffer& target) {
  if (target.block) std::fill_n(target.block.get(), depth_block_size, std::int16_t{0});
  forget_drawn_rows(target);
}

void clear_drawn_depth(DepthBuffer& target) {
  if (!target.block || target.end_drawn_row <= target.first_drawn_row) return;
  std::fill(target.entries() + target.first_drawn_row * base::frame_width,
            target.entries() + target.end_drawn_row * base::frame_width, std::int16_t{0});
  forget_drawn_rows(target);
}

void rasterize_triangle(const ScreenTriangle& t, std::uint16_t* frame, const TextureMap& texture,
                        const base::ShadeTable& shades, DepthBuffer& depth) {
  if (!depth.block) return;
  const VerticalOrder order = vertical_order_of(t);
  // A triangle wholly below or above the screen draws nothing.
  if (t.corners[order.top].y >= screen_bottom || t.corners[order.bottom].y <= 0) return;
  if (starts_no_row(t)) return;  // spares the set-up below, which would find no row to draw
  const double area = signed_area_of(t);
  if (area == 0) return;
  const int first_row = fix_ceil(t.corners[order.top].y);
  const int end_row = shows_one_texel(t)
                          ? walk_rows<true>(t, order.top, order.bottom, first_row, fill_of<true>(t, area, frame, texture, shades, depth))
                          : walk_rows<false>(t, order.top, order.bottom, first_row, fill_of<false>(t, area, frame, texture, shades, depth));
  note_drawn_rows(depth, first_row, end_row);
}

}  // namespace engine3d
