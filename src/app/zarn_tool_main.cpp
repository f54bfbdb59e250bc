// zarn-tool: the tools around the intro, one subcommand each.
#include <cstdio>
#include <cstring>

#include "tools/assets/asset_set.h"
#include "tools/nfo_tool.h"
#include "tools/obj_tool.h"
#include "tools/preview.h"
#include "tools/record.h"
#include "tools/tool_command.h"
#include "tools/xm.h"
#include "tools/xm_play.h"
#include "platform/headless/sound_card.h"

namespace {

const tools::Command commands[] = {
    {"assets", "assets OUTDIR", "makes the default asset set (pictures, fonts, script, object, NFO)",
     tools::assets::assets_main},
    {"nfo", "nfo sign FILE | nfo check FILE",
     "writes the checksum trailer into an NFO file, or checks it as the intro does", tools::nfo_main},
    {"preview", "preview [--assets DIR] [--out DIR] [--seconds S] [--every N] [--press MS:KEY]...",
     "runs the intro without a window and writes frames as PNG pictures", tools::preview_main},
    {"record", "record OUT.mp4 [--assets DIR] [--seconds S] [--fps F] [--height H] [--press MS:KEY]...",
     "runs the intro without a window on an exact clock of F frames a second (default 60) for S seconds\n"
     "      (default 30) and captures it with its music as an H.264/AAC MP4 video, its pixels scaled up as\n"
     "      sharp blocks to H lines (default 1080); needs ffmpeg; Ctrl-C stops it without writing the file",
     tools::record_main},
    {"obj", "obj check FILE | obj render FILE OUT.png [--time MS] [--texture BMP]",
     "checks a 3D object file as the intro reads it (exit 1 if it is refused or has holes or faces turned\n"
     "      inside out), or draws it as the intro shows it at a time, in grey or with an 8-bit texture",
     tools::obj_main},
    {"xm",
     "xm info FILE | xm trace FILE [--ticks N] | xm render FILE OUT.wav [--seconds S] [--loops N] |\n"
     "  xm play FILE [--loop]",
     "loads an XM module as the intro does and prints its names, header, orders, patterns, instruments and\n"
     "      samples, or plays N ticks (default 384) and prints after each its position, speed, tempo and every\n"
     "      channel, or renders one pass of the song (N passes, at most S seconds) through the sound system as\n"
     "      a 44100 Hz WAV file, or plays it on the sound card with a status line until its end (or for ever)\n"
     "      or Ctrl-C",
     tools::xm_main},
};

void print_usage(std::FILE* out) {
  std::fprintf(out, "usage: zarn-tool COMMAND [ARGS]\n\ncommands:\n");
  for (const auto& command : commands) std::fprintf(out, "  %s\n      %s\n", command.usage, command.summary);
}

}  // namespace

int main(int argc, char** argv) {
  tools::set_sound_card(platform::headless::load_sound_card);
  if (argc < 2) {
    print_usage(stderr);
    return tools::exit_usage;
  }
  if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
    print_usage(stdout);
    return tools::exit_ok;
  }
  for (const auto& command : commands) {
    if (std::strcmp(argv[1], command.name) == 0) return command.run(argc - 2, argv + 2);
  }
  std::fprintf(stderr, "zarn-tool: unknown command '%s'\n", argv[1]);
  print_usage(stderr);
  return tools::exit_usage;
}
