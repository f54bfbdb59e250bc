// Hidden temporary names.
#include "tools/files/temporary_name.h"

#include <cstddef>
#include <random>

namespace tools {
namespace {

std::string random_suffix() {
  static constexpr char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::mt19937 random{std::random_device{}()};
  std::uniform_int_distribution<std::size_t> pick(0, sizeof letters - 2);
  std::string suffix(6, ' ');
  for (char& c : suffix) c = letters[pick(random)];
  return suffix;
}

}  // namespace

std::string hidden_temporary_name(const std::string& name) { return "." + name + "." + random_suffix() + ".tmp"; }

}  // namespace tools
