// zarn-tool xm info FILE: the module as the intro's loader sees it, after its clamps and conversions.
// zarn-tool xm trace FILE [--ticks N]: the replay's state after each tick, as the intro plays it.
// zarn-tool xm render FILE OUT.wav [--seconds S] [--loops N]: the module through the sound system, as a
// WAV file: one pass of the song (or N), at most S seconds.
// zarn-tool xm play FILE [--loop]: the module through the sound card, one pass or for ever.
#include "tools/xm/xm_command.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>

#include "music/offline_render.h"
#include "music/replay.h"
#include "music/sound_system.h"
#include "music/xm_loader.h"
#include "platform/platform.h"
#include "tools/cli/command_line.h"
#include "tools/xm/song_passes.h"
#include "tools/cli/tool_command.h"
#include "tools/files/wav_file.h"
#include "tools/xm/xm_play.h"

namespace tools {
namespace {

const char* const vibrato_names[] = {"sine", "square", "ramp down", "ramp up"};

// A name as stored, readable on a terminal: bytes outside printable ASCII become '?', and the padding
// at its end (spaces, NULs) is left out.
template <std::size_t size>
std::string printable(const std::array<char, size>& name) {
  std::string text;
  for (char c : name) {
    if (c == '\0') break;
    text += (c >= ' ' && c <= '~') ? c : '?';
  }
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

void print_header(const char* path, const music::Module& module) {
  std::printf("file:          %s\n", path);
  std::printf("name:          %s\n", printable(module.name).c_str());
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
  std::printf("    sample %d \"%s\": %u frames, %u bits in the file, ", slot, printable(s.name).c_str(), s.length,
              s.stored_bits);
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
  std::printf("instrument %d \"%s\": %d sample%s, fadeout %u\n", number, printable(ins.name).c_str(),
              ins.sample_count, ins.sample_count == 1 ? "" : "s", ins.fadeout);
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

music::OwnedModule load(const char* path) {
  base::LoadResult result;
  music::OwnedModule module = music::load_module_file(path, result);
  if (!module) std::fprintf(stderr, "zarn-tool xm: cannot load %s: %s\n", path, result.reason.c_str());
  return module;
}

struct InfoRequest {
  std::string path;
};

int info(const InfoRequest& request) {
  const char* path = request.path.c_str();
  const music::OwnedModule loaded = tools::load(path);
  if (!loaded) return exit_failure;
  const music::Module& module = *loaded;
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

struct TraceRequest {
  std::string path;
  std::int64_t ticks = default_trace_ticks;
};

int trace(const TraceRequest& request) {
  const char* path = request.path.c_str();
  const music::OwnedModule loaded = tools::load(path);
  if (!loaded) return exit_failure;
  music::Module& module = *loaded;
  music::open_voice_pool(music::intro_mix_rate);
  if (!music::start_replay(module)) {
    std::fprintf(stderr, "zarn-tool xm: cannot play %s: out of memory\n", path);
    return exit_failure;
  }
  std::printf("ord row tck spd bpm | per channel: note period volume panning, voice Hz left right\n");
  for (std::int64_t i = 0; i < request.ticks; ++i) {
    const int tick = module.tick;
    module.tick_callback(module);
    // The row a tick played is the one its first tick entered: read it after the call.
    print_tick(module, module.order_position, module.row, tick);
  }
  return exit_ok;
}

// The longest render: a song that never comes back to an order position (a pattern loop for ever)
// still ends.
constexpr double max_render_seconds = 3600;
constexpr int max_render_loops = 1000;
constexpr std::int64_t progress_every_blocks = 50;

struct RenderRequest {
  std::string path;
  std::string out_path;
  double seconds = max_render_seconds;
  std::int64_t loops = 1;
};

void print_progress(const RenderRequest& request, const music::Module& module, std::int64_t frames) {
  const auto loops = static_cast<int>(request.loops);
  std::fprintf(stderr, "\rrendering %s: %.1f s, order %d of %d, pass %d of %d ", request.path.c_str(),
               static_cast<double>(frames) / music::intro_mix_rate, module.order_position + 1, module.song_length,
               std::min(song_passes_done() + 1, loops), loops);
}

// The rendered sound goes to the file in pieces of about this many samples (a quarter of a second):
// one write per block would cost a system call every 20 ms of sound.
constexpr std::size_t samples_per_write = 22050;

// Renders block after block with the wave thread's block fill, and writes the blocks as they come, up to
// the end of the last pass or the time cap.
bool render_to_wav(const RenderRequest& request, music::Module& module, WavWriter& wav) {
  const music::SoundSystem& sound = music::sound_system;
  const auto cap_frames = static_cast<std::int64_t>(std::ceil(request.seconds * sound.mix_rate));
  const bool on_terminal = isatty(fileno(stderr)) != 0;
  std::vector<std::int16_t> unwritten;
  std::int64_t rendered = 0;
  for (std::int64_t blocks = 1;; ++blocks) {
    const std::size_t before = unwritten.size();
    if (!music::render_blocks(1, unwritten)) return false;
    const std::int64_t pass_end = song_passes_end_frame();
    const std::int64_t end = pass_end >= 0 ? std::min(cap_frames, pass_end) : cap_frames;
    const std::int64_t frames = std::min<std::int64_t>(sound.block_frames, end - rendered);
    unwritten.resize(before + static_cast<std::size_t>(frames) * platform::wave_channels);
    rendered += frames;
    const bool done = rendered == end;
    if (done || unwritten.size() >= samples_per_write) {
      if (!wav.append(unwritten.data(), unwritten.size())) return false;
      unwritten.clear();
    }
    if (on_terminal && (blocks % progress_every_blocks == 0 || done)) print_progress(request, module, rendered);
    if (done) break;
  }
  if (on_terminal) std::fprintf(stderr, "\n");
  return true;
}

// Renders with the headless wave device paced by this tool: the blocks are filled in turn by the same
// block fill, ticks and mixing as the intro's wave thread.
int render(const RenderRequest& request) {
  const music::OwnedModule loaded = tools::load(request.path.c_str());
  if (!loaded) return exit_failure;
  music::Module& module = *loaded;
  music::set_buffer_length(music::default_buffer_length_ms);
  // Opened as the intro opens it; the module is started here rather than kept as the intro's music.
  if (!music::sound_start_with(nullptr, music::intro_mix_rate)) {
    std::fprintf(stderr, "zarn-tool xm: cannot open the sound system\n");
    return exit_failure;
  }
  WavWriter wav;
  count_song_passes(module, static_cast<int>(request.loops));
  bool ok = wav.open(request.out_path, platform::wave_channels, music::intro_mix_rate);
  if (ok && !music::start_module(&module)) {
    std::fprintf(stderr, "zarn-tool xm: cannot play %s\n", request.path.c_str());
    ok = false;
  }
  ok = ok && render_to_wav(request, module, wav) && wav.finish();
  music::stop_module(&module);
  music::close_sound();
  return ok ? exit_ok : exit_failure;
}

struct PlayRequest {
  std::string path;
  bool loop = false;
};

int play(const PlayRequest& request) {
  const music::OwnedModule loaded = tools::load(request.path.c_str());
  if (!loaded) return exit_failure;
  return xm_play(*loaded, request.path.c_str(), request.loop);
}

// A subcommand of xm: FILE read into a request of its own, on which the line runs `work`.
template <typename Request>
std::pair<CLI::App*, std::shared_ptr<Request>> add_module_command(CLI::App& xm, CommandRun& run, const char* name,
                                                                  const char* summary, int (*work)(const Request&)) {
  CLI::App* command = xm.add_subcommand(name, summary);
  auto request = std::make_shared<Request>();
  command->add_option("FILE", request->path, "the XM module")->required();
  run_on_request(*command, run, request, work);
  return {command, request};
}

void define_xm(CLI::App& xm, CommandRun& run) {
  xm.require_subcommand(1);
  add_module_command<InfoRequest>(
      xm, run, "info", "prints the module's names, header, orders, patterns, instruments and samples as the intro "
      "loads them", info);

  const auto [trace_command, trace_request] = add_module_command<TraceRequest>(
      xm, run, "trace", "plays N ticks and prints after each its position, speed, tempo and every channel", trace);
  add_whole_number_option(*trace_command, "--ticks", trace_request->ticks, 1, 100000000,
                          "how many ticks to play (default 384)");

  const auto [render_command, render_request] = add_module_command<RenderRequest>(
      xm, run, "render", "renders one pass of the song (N passes, at most S seconds) through the sound system as "
      "a 44100 Hz WAV file", render);
  render_command->add_option("OUT.wav", render_request->out_path, "the WAV file to write (- for standard output)")
      ->required();
  add_positive_decimal_option(*render_command, "--seconds", render_request->seconds, max_render_seconds,
                              "the longest render, up to 3600 (default 3600)");
  add_whole_number_option(*render_command, "--loops", render_request->loops, 1, max_render_loops,
                          "how many passes of the song, up to 1000 (default 1)");

  const auto [play_command, play_request] = add_module_command<PlayRequest>(
      xm, run, "play", "plays the song on the sound card with a status line until its end (or for ever) or Ctrl-C",
      play);
  play_command->add_flag("--loop", play_request->loop, "play every pass again, for ever");
}

}  // namespace

const Command xm_command = {"xm", "loads an XM module as the intro does: its contents, a tick trace, a WAV render, "
                            "or play", define_xm};


}  // namespace tools
