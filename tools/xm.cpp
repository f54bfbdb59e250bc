// zarn-tool xm info FILE: the module as the intro's loader sees it, after its clamps and conversions.
#include "tools/xm.h"

#include <cstdio>
#include <cstring>

#include "music/memory_file.h"
#include "music/xm_loader.h"
#include "tools/tool_command.h"

namespace tools {
namespace {

const char* const vibrato_names[] = {"sine", "square", "ramp down", "ramp up"};

void print_header(const char* path, const music::Module& module) {
  std::printf("file:          %s\n", path);
  std::printf("channels:      %d\n", module.channel_count);
  std::printf("song length:   %d, restart at %d\n", module.song_length, module.restart_position);
  std::printf("speed:         %u ticks per row, %u BPM\n", module.default_speed, module.default_bpm);
  std::printf("periods:       %s\n", (module.flags & music::flag_linear_periods) ? "linear" : "Amiga");
  std::printf("pattern slots: %d (orders name %d)\n", module.pattern_slots, module.referenced_patterns);
  std::printf("instruments:   %d\n", module.instrument_count);
  std::printf("orders:       ");
  for (int i = 0; i < module.song_length; ++i) std::printf(" %d", module.order_table[i]);
  std::printf("\nrows:         ");
  for (int i = 0; i < module.pattern_slots; ++i) std::printf(" %d", module.patterns[i].rows);
  std::printf("\n");
}

void print_envelope(const char* name, std::uint8_t points, std::uint8_t type, std::uint8_t sustain,
                    std::uint8_t loop_start, std::uint8_t loop_end) {
  std::printf("    %s envelope: ", name);
  if (!(type & music::envelope_on)) {
    std::printf("off\n");
    return;
  }
  std::printf("%u points", points);
  if (type & music::envelope_sustain) std::printf(", sustain at %u", sustain);
  if (type & music::envelope_loop) std::printf(", loop %u..%u", loop_start, loop_end);
  std::printf("\n");
}

void print_sample(int slot, const music::Sample& s) {
  std::printf("    sample %d: %u frames, %u bits in the file, ", slot, s.length, s.stored_bits);
  if (s.loop_type == music::loop_none) {
    std::printf("no loop");
  } else {
    std::printf("%s loop %u..%u", s.loop_type == music::loop_ping_pong ? "ping-pong" : "forward", s.loop_start,
                s.loop_start + s.loop_length);
  }
  std::printf(", volume %u, finetune %d, panning %d, relative note %d\n", s.volume, s.finetune, s.panning,
              s.relative_note);
}

void print_instrument(int number, const music::Instrument& ins) {
  std::printf("instrument %d: %d sample%s, fadeout %u\n", number, ins.sample_count, ins.sample_count == 1 ? "" : "s",
              ins.fadeout);
  if (ins.sample_count == 0) return;
  print_envelope("volume", ins.volume_points, ins.volume_type, ins.volume_sustain, ins.volume_loop_start,
                 ins.volume_loop_end);
  print_envelope("panning", ins.panning_points, ins.panning_type, ins.panning_sustain, ins.panning_loop_start,
                 ins.panning_loop_end);
  if (ins.vibrato_depth != 0) {
    std::printf("    auto-vibrato: %s, sweep %u, depth %u, rate %u\n",
                ins.vibrato_type < 4 ? vibrato_names[ins.vibrato_type] : "unknown waveform", ins.vibrato_sweep,
                ins.vibrato_depth, ins.vibrato_rate);
  }
  for (int i = 0; i < ins.sample_count; ++i) print_sample(i, *ins.samples[i]);
}

int info(const char* path) {
  music::install_memory_file();
  const music::ModuleLoad load = music::load_module(path);
  if (!load.module) {
    std::fprintf(stderr, "zarn-tool xm: cannot load %s: %s\n", path, load.reason);
    return exit_failure;
  }
  const music::Module& module = *load.module;
  print_header(path, module);
  for (int i = 0; i < module.instrument_count; ++i) print_instrument(i + 1, module.instruments[i]);
  return exit_ok;
}

}  // namespace

int xm_main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[0], "info") == 0) return info(argv[1]);
  std::fprintf(stderr, "usage: zarn-tool xm info FILE\n");
  return exit_usage;
}

}  // namespace tools
