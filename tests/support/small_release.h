// The smallest release folder the program starts from: a script of one part, a signed NFO, a torus and a
// two-pattern song.
#pragma once

#include <string>

#include "music/xm_writer.h"
#include "shell/nfo_check.h"
#include "support/temp_dir.h"
#include "support/torus_mesh.h"
#include "support/xm_fixture.h"

namespace test_support {

inline void write_small_release(const WorkingFolder& folder) {
  folder.write("zarn.dat", "ZARNSTART\ntop\nENDPART\nbottom\nZARNEND\n");
  const std::string nfo = "release information\r\n";
  folder.write("ZARN.NFO", shell::sign_nfo({nfo.begin(), nfo.end()}));
  folder.write("3d-obj.3d", torus_object_text(40, 15, 8, 6));
  folder.write("music.xm", music::write_xm(small_song()));
}

}  // namespace test_support
