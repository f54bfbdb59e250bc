// A Wavefront OBJ model made into the intro's object file: triangulated, centred, scaled to the size the
// intro's camera frames, every face turned so that its normal points into the object, and checked as
// `zarn-tool obj check` checks a file. A mesh the intro would draw wrong (open, an edge of three faces or
// more, a face with no area) is refused with what is wrong, never written.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tools {

// How long the diagonal of the object's bounds is made. The intro poses its objects in the top left
// corner of the picture, laid out around the knot (about 160 units across but slender); a solid object of
// this diagonal stays about as large there.
inline constexpr double imported_object_diagonal = 200.0;

// The object file's text; `report` gets what was done, a line each. Nothing when the OBJ text holds no
// usable mesh or the mesh is flawed: `report` then says why.
std::optional<std::string> import_object(const std::string& obj_text, const std::string& name,
                                            std::vector<std::string>& report);

}  // namespace tools
