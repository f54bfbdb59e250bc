// zarn-tool kit: the default kit builds the default set byte for byte, an invented group's kit builds a
// folder that checks, previews with its own lettering and plays its own module, and a kit with a mistake
// is refused in one line that names the key and its line.
#include <gtest/gtest.h>
#include <stb_image.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "music/xm_writer.h"
#include "shell/frame_state.h"
#include "shell/nfo_screen.h"
#include "support/moved_object.h"
#include "support/temp_dir.h"
#include "support/tool_run.h"
#include "support/wav_samples.h"
#include "support/xm_fixture.h"
#include "tools/files/file_bytes.h"
#include "tools/kit/check_command.h"
#include "tools/kit/kit_template.h"
#include "tools/kit/kit_command.h"
#include "tools/capture/preview_command.h"
#include "tools/xm/xm_command.h"

namespace {

namespace fs = std::filesystem;

const fs::path committed = ZARN_ASSET_DIR;

int kit(std::vector<std::string> args) { return test_support::run_tool(tools::kit::kit_command, std::move(args)); }

TEST(Kit, TheNewKitBuildsTheDefaultSetByteForByte) {
  test_support::WorkingFolder folder;
  ASSERT_EQ(kit({"new", "kit.toml"}), tools::exit_ok);
  EXPECT_EQ(kit({"new", "kit.toml"}), tools::exit_failure);  // a group's kit is never written over
  ASSERT_EQ(kit({"build", "kit.toml", "out"}), tools::exit_ok);
  int compared = 0;
  for (const auto& entry : fs::directory_iterator(folder.path() / "out")) {
    const fs::path name = entry.path().filename();
    EXPECT_TRUE(tools::read_file_bytes(entry.path().string()) == tools::read_file_bytes((committed / name).string()))
        << name << " differs from the default set";
    ++compared;
  }
  EXPECT_EQ(compared, 11);
}

// The invented group's files: a cube wound as modellers wind it, a small module, an NFO with box drawing.
const char group_kit[] = R"([logo]
lettering = "VEKTOR"
tagline = "PIXEL FORGE"
[banner]
lettering = "VEKTOR"
subtitle = "- AN INVENTED GROUP -"
[credits]
text = "CODE . GFX . MUSIC   BY   VEKTOR"
[colours]
gold = ["#102030", "#3080c0", "#60d0ff"]
[scroll]
greetings = "vektor greets every group that ships an intro"
credits = "code: vektor ... music: vektor"
[nfo]
file = "vektor.nfo.txt"
[music]
file = "tune.xm"
[object]
file = "cube.obj"
)";

const char cube_obj[] =
    "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 0 0 1\nv 1 0 1\nv 1 1 1\nv 0 1 1\n"
    "f 1 4 3 2\nf 5 6 7 8\nf 1 2 6 5\nf 2 3 7 6\nf 3 4 8 7\nf 4 1 5 8\n";

// A decoded preview frame, RGB.
struct Frame {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgb;
};

Frame frame_of(const fs::path& png) {
  Frame frame;
  int channels = 0;
  stbi_uc* pixels = stbi_load(png.c_str(), &frame.width, &frame.height, &channels, 3);
  if (!pixels) return frame;
  frame.rgb.assign(pixels, pixels + static_cast<std::size_t>(frame.width) * frame.height * 3);
  stbi_image_free(pixels);
  return frame;
}

// How many pixels of rows [top, bottom) differ between two frames.
int differing_pixels(const Frame& a, const Frame& b, int top, int bottom) {
  int count = 0;
  for (int y = top; y < bottom; ++y) {
    for (int x = 0; x < a.width; ++x) {
      const std::size_t i = (static_cast<std::size_t>(y) * a.width + x) * 3;
      count += a.rgb[i] != b.rgb[i] || a.rgb[i + 1] != b.rgb[i + 1] || a.rgb[i + 2] != b.rgb[i + 2];
    }
  }
  return count;
}

// Runs the headless preview for 5 s with a frame every half second (space at 3.5 s, as by default). The
// preview enters the assets' folder, as the intro starts in its own; paths after it are absolute.
void preview(const fs::path& assets, const fs::path& out) {
  shell::reset_frame_state();
  shell::nfo_state = shell::NfoScreenState{};
  ASSERT_EQ(test_support::run_tool(tools::preview_command, {"--assets", assets.string(), "--out", out.string(),
                                                            "--seconds", "5", "--every", "25"}),
            tools::exit_ok);
}

// The samples from the first one that is not silent.
std::vector<std::int16_t> from_first_sound(const std::vector<std::int16_t>& samples) {
  const auto first = std::find_if(samples.begin(), samples.end(), [](std::int16_t s) { return s != 0; });
  return {first, samples.end()};
}

TEST(Kit, AnInventedGroupsKitBuildsAFolderThatChecksPreviewsAndPlaysItsModule) {
  test_support::WorkingFolder folder;
  // The kit and its files in a folder of their own: the kit names them relative to itself.
  fs::create_directories(folder.path() / "kit");
  folder.write("kit/vektor.toml", group_kit);
  folder.write("kit/cube.obj", cube_obj);
  folder.write("kit/tune.xm", music::write_xm(test_support::small_song()));
  folder.write("kit/vektor.nfo.txt", "\xE2\x95\x94\xE2\x95\x90\xE2\x95\x97 VEKTOR\n\xE2\x95\x9A\xE2\x95\x90\xE2\x95\x9D notes\n");
  ASSERT_EQ(kit({"build", "kit/vektor.toml", "intro"}), tools::exit_ok);

  for (const tools::FileCheck& check : tools::check_folder((folder.path() / "intro").string())) {
    EXPECT_EQ(check.outcome, tools::FileOutcome::as_intended) << check.file << ": " << check.reader << " / " << check.intro;
  }
  EXPECT_EQ(test_support::run_tool(tools::check_command, {(folder.path() / "intro").string()}), tools::exit_ok);

  // The module as xm render plays it.
  const fs::path tune = folder.path() / "kit" / "tune.xm", rendered_wav = folder.path() / "tune.wav";
  ASSERT_EQ(test_support::run_tool(tools::xm_command, {"render", tune.string(), rendered_wav.string(), "--seconds", "1"}),
            tools::exit_ok);

  preview(folder.path() / "intro", folder.path() / "group");
  preview(committed, folder.path() / "default");
  const auto frame = [&](const char* run, const char* name) { return frame_of(folder.path() / run / name); };
  // At 1 s the NFO screen: the banner differs, the screen's own text and lines below it do not.
  const Frame group_nfo = frame("group", "frame-00050.png"), default_nfo = frame("default", "frame-00050.png");
  ASSERT_EQ(group_nfo.width, 640);
  EXPECT_GT(differing_pixels(group_nfo, default_nfo, 0, 150), 5000);
  EXPECT_EQ(differing_pixels(group_nfo, default_nfo, 176, 430), 0);
  // At 4.5 s the intro: the logo's lettering differs, and the intro moves on from 4 s.
  const Frame group_intro = frame("group", "frame-00225.png");
  EXPECT_GT(differing_pixels(group_intro, frame("default", "frame-00225.png"), 180, 320), 20000);
  EXPECT_GT(differing_pixels(group_intro, frame("group", "frame-00200.png"), 0, 480), 1000);

  // The music the preview played is the group's module, sample for sample from its first sound.
  const std::vector<std::int16_t> played = from_first_sound(test_support::wav_samples(folder.path() / "group" / "music.wav"));
  const std::vector<std::int16_t> rendered = from_first_sound(test_support::wav_samples(rendered_wav));
  ASSERT_GT(played.size(), 44100u);
  ASSERT_GT(rendered.size(), 44100u);
  EXPECT_TRUE(std::equal(rendered.begin(), rendered.begin() + 44100, played.begin()));
}

TEST(Kit, AMistakeIsOneLineNamingTheKeyAndItsLine) {
  struct Case {
    const char* kit;
    const char* said;  // the start of what follows the kit's name
  };
  const Case cases[] = {
      {"[logo]\nleterring = \"ACME\"\n", "line 2, logo.leterring: unknown key"},
      {"# sound\n[sound]\nfile = \"x.xm\"\n", "line 2, sound: unknown key"},
      {"[colours]\nscroll_font_top = \"bright\"\n", "line 2, colours.scroll_font_top: must be a whole number"},
      {"[colours]\nscroll_font_top = 16\n", "line 2, colours.scroll_font_top: must be from 1 to 15"},
      {"[colours]\ngold = [\"#102030\",\n  \"#12345\"]\n", "line 3, colours.gold: each colour"},
      {"[colours]\nlogo = [\"#ffffff\", \"#000000\"]\n", "line 2, colours.logo: each colour must be at least as bright"},
      {"[music]\n\nfile = \"missing.xm\"\n", "line 3, music.file: cannot read"},
      {"[music]\nfile = \"junk.xm\"\n", "line 2, music.file: the intro's loader refuses it"},
      {"[object]\nfile = \"open.obj\"\n", "line 2, object.file: open.obj: the mesh is open"},
      {"[object]\nfile = \"model.stl\"\n", "line 2, object.file: must name"},
      {"[object]\nfile = \"huge.3d\"\n", "line 2, object.file: huge.3d: the intro shows nothing of it: too large"},
      {"[logo]\nlettering = \"ACME\"\nimage = \"logo.png\"\n", "line 3, logo.image: given with logo.lettering"},
      {"[logo]\nimage = \"junk.xm\"\n", "line 2, logo.image: junk.xm is not a PNG or JPEG"},
      {"[banner]\nlettering = \"ACME ACME ACME ACME ACME ACME ACME\"\n", "line 2, banner.lettering: 'ACME"},
      {"[scroll]\ngreetings = \"hello #1\"\n", "line 2, scroll.greetings: holds '#'"},
      {"[scroll]\ncredits = \"see ENDPART\"\n", "line 2, scroll.credits: holds the script's marker"},
      {"[nfo]\ntext = '''\nfine\nstar \xE2\x98\x85\n'''\n", "line 2, nfo.text: line 2 of the text, column 6"},
      {"[nfo]\ntext = \"a\"\nfile = \"b.txt\"\n", "line 3, nfo.file: given with nfo.text"},
      {"logo = 3\n", "line 1, logo: must be a table"},
      {"[logo\n", "line 1, TOML:"},
  };
  const auto knot_bytes = tools::read_file_bytes(std::string(ZARN_ASSET_DIR) + "/3d-obj.3d").value();
  const std::string knot(knot_bytes.begin(), knot_bytes.end());
  for (const Case& c : cases) {
    test_support::WorkingFolder folder;
    folder.write("junk.xm", std::string("not a module at all"));
    folder.write("open.obj", std::string("v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n"));
    folder.write("huge.3d", test_support::moved_object_text(knot, 10));
    folder.write("kit.toml", std::string(c.kit));
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(kit({"build", "kit.toml", "out"}), tools::exit_usage) << c.kit;
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.rfind(std::string("zarn-tool kit build: kit.toml ") + c.said, 0), 0u) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_FALSE(fs::exists(folder.path() / "out")) << c.kit;
  }
}

}  // namespace
