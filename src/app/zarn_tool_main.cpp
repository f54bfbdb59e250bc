// zarn-tool: the tools around the intro, one subcommand each.
#include <cstdio>
#include <cstring>

#include "tools/preview.h"
#include "tools/tool_command.h"
#include "tools/xm.h"

namespace {

const tools::Command commands[] = {
    {"preview", "preview [--assets DIR] [--out DIR] [--seconds S] [--every N] [--press MS:KEY]...",
     "runs the intro without a window and writes frames as PNG pictures", tools::preview_main},
    {"xm", "xm info FILE",
     "loads an XM module as the intro does and prints its header, orders, patterns, instruments and samples",
     tools::xm_main},
};

void print_usage(std::FILE* out) {
  std::fprintf(out, "usage: zarn-tool COMMAND [ARGS]\n\ncommands:\n");
  for (const auto& command : commands) std::fprintf(out, "  %s\n      %s\n", command.usage, command.summary);
}

}  // namespace

int main(int argc, char** argv) {
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
