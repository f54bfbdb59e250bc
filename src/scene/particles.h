// The particle fountain: up to 10000 small additive sprites in 16.16 fixed point, with a free-slot stack.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "base/c_rand.h"
#include "base/fixed_point.h"

namespace scene {

inline constexpr int particle_capacity = 10000;
// Particles stay where their 4x5 block fits in the frame.
inline constexpr int particle_max_x = 634;
inline constexpr int particle_max_y = 474;

// All values 16.16; the time unit is 20 ms.
struct Particle {
  base::Fixed16 life = 0;  // 0 marks a free slot
  base::Fixed16 x = 0, y = 0;    // pixels
  base::Fixed16 vx = 0, vy = 0;  // pixels per unit
  base::Fixed16 ax = 0, ay = 0;  // pixels per unit squared
};

struct ParticlePool {
  std::array<Particle, particle_capacity> particles{};
  std::array<std::int32_t, particle_capacity> free_slots{};
  std::int32_t free_count = 0;
  std::int32_t particle_clock = -1;  // milliseconds at the previous update; -1 before the first
  // Half-sum of two pixels, channels doubled (red, green) or quadrupled (blue), saturating.
  std::vector<std::uint16_t> particle_add_table = std::vector<std::uint16_t>(65536);
  base::CRand rand;
};

extern ParticlePool particle_pool;

// Empties the pool (every slot free) and fills its blend table.
void reset_particles(ParticlePool& pool = particle_pool);

// Starts up to n particles near pixel (cx, cy); fewer when the pool runs out of free slots.
void spawn_particles(int cx, int cy, int n, ParticlePool& pool = particle_pool);

// Moves and ages every live particle by the time since the previous update (one unit the first time),
// frees those that died or left the area, and blends the others into `frame`.
void update_particles(std::uint16_t* frame, std::uint32_t elapsed_ms, ParticlePool& pool = particle_pool);

}  // namespace scene
