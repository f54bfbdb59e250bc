// The particle fountain.
#include "scene/particles.h"

#include <algorithm>
#include <limits>

#include "base/frame_geometry.h"
#include "base/rgb565.h"

namespace scene {
namespace {

// A particle lives 32 units (640 ms).
constexpr base::Fixed16 particle_life = 0x200000;
// 16.16 time units (20 ms) per millisecond.
constexpr float units_per_ms = 3276.8f;
// Keeps the lowest bit of red and blue and the two lowest of green out of a particle's colour.
constexpr std::uint16_t particle_colour_mask = 0xF79E;

// Fixed-point sums wrap like the 32-bit additions they are, instead of overflowing.
base::Fixed16 wrapping_add(base::Fixed16 a, base::Fixed16 b) {
  return static_cast<base::Fixed16>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

base::Fixed16 time_step(ParticlePool& pool, std::uint32_t elapsed_ms) {
  const auto now = static_cast<std::int32_t>(elapsed_ms);
  const std::int32_t previous = pool.particle_clock;
  pool.particle_clock = now;
  if (previous == -1) return base::fixed_one;
  // The clock is unsigned and wraps, so the time that passed is the difference in wrapping 32-bit
  // arithmetic: crossing 2^31 (where `now` turns negative) or 2^32 is an ordinary step, not a jump back.
  const auto passed =
      static_cast<std::int32_t>(static_cast<std::uint32_t>(now) - static_cast<std::uint32_t>(previous));
  const float step = static_cast<float>(passed) * units_per_ms;
  // A step beyond the 32-bit range (minutes between frames) is held at its largest value.
  constexpr float limit = 2147483520.0f;  // the largest float below 2^31
  return static_cast<base::Fixed16>(step > limit ? limit : (step < -limit ? -limit : step));
}

// Sets P to the exact half-sum of P and q, channel by channel, brightened through the add table.
void blend(std::uint16_t& pixel, std::uint16_t q, const std::vector<std::uint16_t>& add_table) {
  pixel = add_table[((std::uint32_t{pixel} & base::sum_mask) + q) >> 1];
}

// Blends a 2x2 block at (x, y): `left` on its left column, `right` on its right column.
void blend_block(std::uint16_t* frame, int x, int y, std::uint16_t left, std::uint16_t right,
                 const std::vector<std::uint16_t>& add_table) {
  for (int row = y; row < y + 2; ++row) {
    std::uint16_t* p = frame + row * base::frame_width + x;
    blend(p[0], left, add_table);
    blend(p[1], right, add_table);
  }
}

// The 4x5 sprite below (px, py): softer corners (H) on its first and last rows, the centre rows blended twice.
void draw_particle(std::uint16_t* frame, int px, int py, base::Fixed16 life, const std::vector<std::uint16_t>& add) {
  // 16..32 for a life of up to 32 units; held to the colour tables whatever a clock set back did to it.
  const int level = std::clamp((base::fix_ceil(life) >> 1) + 16, 0, 255);
  const auto& t = base::colour_tables;
  const auto full = static_cast<std::uint16_t>((t.red[level] | t.green[level] | t.blue[level]) & particle_colour_mask);
  const auto half = static_cast<std::uint16_t>((full >> 1) & base::sum_mask);
  blend_block(frame, px, py + 1, half, full, add);
  blend_block(frame, px, py + 4, half, full, add);
  blend_block(frame, px + 2, py + 1, full, half, add);
  blend_block(frame, px + 2, py + 4, full, half, add);
  blend_block(frame, px, py + 2, full, full, add);
  blend_block(frame, px + 2, py + 2, full, full, add);
  blend_block(frame, px, py + 3, full, full, add);
  blend_block(frame, px + 2, py + 3, full, full, add);
}

void free_slot(ParticlePool& pool, int k) {
  pool.particles[k].life = 0;
  pool.free_slots[pool.free_count++] = k;
}

}  // namespace

ParticlePool particle_pool;

void reset_particles(ParticlePool& pool) {
  pool.free_count = particle_capacity;
  for (int k = 0; k < particle_capacity; ++k) {
    pool.free_slots[k] = k;
    pool.particles[k].life = 0;
  }
  for (int p = 0; p < 65536; ++p) {
    const int r5 = p >> 11, g6 = (p >> 5) & 63, b5 = p & 31;
    pool.particle_add_table[p] =
        base::pack_rgb565(r5 < 16 ? 16 * r5 : 255, g6 < 32 ? 8 * g6 : 255, b5 < 8 ? 32 * b5 : 255);
  }
}

void spawn_particles(int cx, int cy, int n, ParticlePool& pool) {
  for (int i = 0; i < n && pool.free_count > 0; ++i) {
    Particle& p = pool.particles[pool.free_slots[--pool.free_count]];
    p.x = pool.rand.next() * 16 + (cx - 4) * base::fixed_one;
    p.y = pool.rand.next() * 16 + (cy - 4) * base::fixed_one;
    p.vx = pool.rand.next() - 1024;
    p.vy = pool.rand.next() - 1024;
    // A drag that would stop the particle after 128 units.
    p.ax = -(p.vx >> 7);
    p.ay = -(p.vy >> 7);
    p.life = particle_life;
  }
}

void update_particles(std::uint16_t* frame, std::uint32_t elapsed_ms, ParticlePool& pool) {
  const base::Fixed16 dt = time_step(pool, elapsed_ms);
  for (int k = 0; k < particle_capacity; ++k) {
    Particle& p = pool.particles[k];
    if (p.life == 0) continue;
    p.x = wrapping_add(p.x, base::fix_mul(p.vx, dt));
    p.y = wrapping_add(p.y, base::fix_mul(p.vy, dt));
    p.vx = wrapping_add(p.vx, base::fix_mul(p.ax, dt));
    p.vy = wrapping_add(p.vy, base::fix_mul(p.ay, dt));
    const int px = base::fix_ceil(p.x), py = base::fix_ceil(p.y);
    const bool out = px >= particle_max_x || px < 0 || py >= particle_max_y || py < 0;
    p.life = wrapping_add(p.life, -base::fix_mul(base::fixed_one, dt));
    if (p.life <= 0 || out) {
      free_slot(pool, k);
    } else {
      draw_particle(frame, px, py, p.life, pool.particle_add_table);
    }
  }
}

}  // namespace scene
