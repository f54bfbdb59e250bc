// A kit file's bytes read as `kit build` reads them, with nothing written. The kit lies in a folder that
// does not exist, so every file it names is absent or outside it: a kit that names one is refused, and a
// refusal is one line.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "tools/kit/kit_file.h"

namespace {

// Long enough for any key, path and reason, each cut for the message; far below what an uncut value of
// a kit could make it.
constexpr std::size_t longest_problem_line = 1000;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::filesystem::path kit = "/nonexistent-zarn-kit-folder/kit.toml";
  tools::kit::KitProblem problem;
  const auto read = tools::kit::read_kit_text(std::string_view(reinterpret_cast<const char*>(data), size), kit,
                                              nullptr, problem);
  if (read && !read->inputs.empty()) std::abort();  // a file was read from a folder that is not there
  if (!read) {
    const std::string line = tools::kit::problem_line(kit, problem);
    if (problem.why.empty() || line.find('\n') != std::string::npos || line.size() > longest_problem_line) {
      std::abort();
    }
  }
  return 0;
}
