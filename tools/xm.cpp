// zarn-tool xm info FILE: the module as the intro's loader sees it, after its clamps and conversions.
// zarn-tool xm trace FILE [--ticks N]: the replay's state after each tick, as the intro plays it.
// zarn-tool xm render FILE OUT.wav [--seconds S]: the module through the sound system, as a WAV file.
#include "tools/xm.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "music/memory_file.h"
#include "music/replay.h"
#include "music/sound_system.h"
#include "music/xm_loader.h"
#include "platform/platform.h"
#include "tools/tool_command.h"
#include "tools/wav_file.h"
#include "tools/wave_render.h"

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

music::ModuleLoad load(const char* path) {
  music::install_memory_file();
  music::ModuleLoad load = music::load_module(path);
  if (!load.module) std::fprintf(stderr, "zarn-tool xm: cannot load %s: %s\n", path, load.reason);
  return load;
}

int info(const char* path) {
  const music::ModuleLoad load = tools::load(path);
  if (!load.module) return exit_failure;
  const music::Module& module = *load.module;
  print_header(path, module);
  for (int i = 0; i < module.instrument_count; ++i) print_instrument(i + 1, module.instruments[i]);
  return exit_ok;
}

constexpr int default_trace_ticks = 384;  // 64 rows at the usual speed of 6
const char* const note_names[] = {"C-", "C#", "D-", "D#", "E-", "F-", "F#", "G-", "G#", "A-", "A#", "B-"};

// One channel: its note, period, volume and panning, then what its voice was last given.
void print_channel(const music::Channel& channel) {
  std::printf(" | %s%d %5d %2d %3d", note_names[channel.note % 12], channel.note / 12, channel.period, channel.volume,
              channel.panning);
  const music::Voice* voice = music::voice_at(channel.voice_index);
  if (!voice) {
    std::printf(" %6s %3s %3s", "-", "-", "-");
    return;
  }
  std::printf(" %6d %3u %3u", music::voice_frequency(*voice), voice->left, voice->right);
}

// The position and tempo the tick played at, and each channel after it.
void print_tick(const music::Module& module, int order_position, int row, int tick) {
  std::printf("%3d %3d %3d %3d %3d", order_position, row, tick, module.speed, module.bpm);
  for (int i = 0; i < module.channel_count; ++i) print_channel(module.channels[i]);
  std::printf("\n");
}

int trace(const char* path, int ticks) {
  const music::ModuleLoad load = tools::load(path);
  if (!load.module) return exit_failure;
  music::Module& module = *load.module;
  music::open_voice_pool(music::intro_mix_rate);
  if (!music::start_replay(module)) {
    std::fprintf(stderr, "zarn-tool xm: cannot play %s: out of memory\n", path);
    return exit_failure;
  }
  std::printf("ord row tck spd bpm | per channel: note period volume panning, voice Hz left right\n");
  for (int i = 0; i < ticks; ++i) {
    const int tick = module.tick;
    module.tick_callback(module);
    // The row a tick played is the one its first tick entered: read it after the call.
    print_tick(module, module.order_position, module.row, tick);
  }
  return exit_ok;
}

// N of "--ticks N": a whole number from 1 up, or 0 when it is not one.
int parse_ticks(const char* text) {
  char* end = nullptr;
  const long n = std::strtol(text, &end, 10);
  return (end != text && *end == '\0' && n >= 1 && n <= 100000000) ? static_cast<int>(n) : 0;
}

constexpr double default_render_seconds = 60;
constexpr double max_render_seconds = 3600;

// Renders on the headless wave device, so the wave thread schedules, ticks and mixes as in the intro.
int render(const char* path, const char* out_path, double seconds) {
  const music::ModuleLoad load = tools::load(path);
  if (!load.module) return exit_failure;
  music::set_buffer_length(music::default_buffer_length_ms);
  if (!music::open_sound(music::intro_mix_rate)) {
    std::fprintf(stderr, "zarn-tool xm: cannot open the sound system\n");
    return exit_failure;
  }
  const music::SoundSystem& sound = music::sound_system;
  const auto frames = static_cast<std::int64_t>(std::ceil(seconds * sound.mix_rate));
  const std::int64_t blocks = (frames + sound.block_frames - 1) / sound.block_frames;
  std::vector<std::int16_t> samples;
  bool ok = music::start_module(load.module.get());
  ok = ok && render_blocks(blocks, samples, [&](std::int64_t done) {
         if (done % 50 == 0 || done == blocks) {
           std::fprintf(stderr, "\rrendering %s: %.1f of %.1f s", path,
                        static_cast<double>(done * sound.block_frames) / sound.mix_rate, seconds);
         }
       });
  std::fprintf(stderr, "\n");
  music::stop_module(load.module.get());
  music::close_sound();
  if (!ok) {
    std::fprintf(stderr, "zarn-tool xm: cannot play %s\n", path);
    return exit_failure;
  }
  samples.resize(static_cast<std::size_t>(frames) * platform::wave_channels);
  return write_wav(out_path, samples, platform::wave_channels, music::intro_mix_rate) ? exit_ok : exit_failure;
}

// S of "--seconds S": a number above 0 up to an hour, or 0 when it is not one.
double parse_seconds(const char* text) {
  char* end = nullptr;
  const double s = std::strtod(text, &end);
  return (end != text && *end == '\0' && s > 0 && s <= max_render_seconds) ? s : 0;
}

int usage() {
  std::fprintf(stderr, "usage: zarn-tool xm info FILE | xm trace FILE [--ticks N] | xm render FILE OUT.wav [--seconds S]\n");
  return exit_usage;
}

}  // namespace

int xm_main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[0], "info") == 0) return info(argv[1]);
  if (argc == 2 && std::strcmp(argv[0], "trace") == 0) return trace(argv[1], default_trace_ticks);
  if (argc == 4 && std::strcmp(argv[0], "trace") == 0 && std::strcmp(argv[2], "--ticks") == 0) {
    const int ticks = parse_ticks(argv[3]);
    return ticks != 0 ? trace(argv[1], ticks) : usage();
  }
  if (argc == 3 && std::strcmp(argv[0], "render") == 0) return render(argv[1], argv[2], default_render_seconds);
  if (argc == 5 && std::strcmp(argv[0], "render") == 0 && std::strcmp(argv[3], "--seconds") == 0) {
    const double seconds = parse_seconds(argv[4]);
    return seconds != 0 ? render(argv[1], argv[2], seconds) : usage();
  }
  return usage();
}

}  // namespace tools
