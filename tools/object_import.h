// A Wavefront OBJ model made into the intro's object file: triangulated, centred, scaled to the size the
// intro's camera frames, every face turned so that its normal points into the object, and checked as
// `zarn-tool obj check` checks a file. A mesh the intro would draw wrong (open, an edge of three faces or
// more, a face with no area) is refused with what is wrong, never written.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tools {

// How wide the object is made along its longest side: the span of the knot the intro's camera and
// object placement were laid out around.
inline constexpr double imported_object_span = 160.0;

// The object file's text; `report` gets what was done, a line each. Nothing when the OBJ text holds no
// usable mesh or the mesh is flawed: `report` then says why.
std::optional<std::string> import_object(const std::string& obj_text, const std::string& name,
                                            std::vector<std::string>& report);

}  // namespace tools
