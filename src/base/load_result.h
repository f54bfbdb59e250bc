// What every file reader reports inside the program: whether the file loaded, and if not, whether it
// could not be opened at all or was refused for what it holds, with one short line on why. The
// program's edges turn this into the fixed answers the rest of the system expects (load_bmp's codes,
// the message boxes, a tool's one-line error).
#pragma once

#include <string>
#include <utility>

namespace base {

enum class LoadStatus { loaded, cannot_open, refused };

struct LoadResult {
  LoadStatus status = LoadStatus::loaded;
  std::string reason;  // for stderr or a tool's error line; empty when loaded

  bool loaded() const { return status == LoadStatus::loaded; }

  static LoadResult success() { return {}; }
  static LoadResult cannot_open(std::string why) { return {LoadStatus::cannot_open, std::move(why)}; }
  static LoadResult refused(std::string why) { return {LoadStatus::refused, std::move(why)}; }
};

}  // namespace base
