// The default set's object: a trefoil knot tube.
#pragma once

#include "tools/object/mesh.h"

namespace tools::assets {

// The knot, closed, every face's normal pointing into the tube.
Mesh make_knot_mesh();

}  // namespace tools::assets
