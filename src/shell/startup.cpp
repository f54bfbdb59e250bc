// Start-up sequence and the life cycle of the program.
#include "shell/startup.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <thread>

#include "base/asset_files.h"
#include "base/load_result.h"
#include "base/rgb565.h"
#include "engine3d/intro_objects.h"
#include "engine3d/rasterizer.h"
#include "music/sound_system.h"
#include "platform/platform.h"
#include "scene/bitmap_font.h"
#include "scene/effect_tables.h"
#include "scene/intro.h"
#include "scene/particles.h"
#include "scene/shaded_image.h"
#include "shell/bmp_reader.h"
#include "shell/frame_loop.h"
#include "shell/frame_state.h"
#include "shell/presentation.h"
#include "shell/program_options.h"
#include "shell/script_reader.h"

namespace shell {
namespace {

// How long the end of the program waits for the frame thread to finish its frame.
constexpr auto frame_thread_stop_wait = std::chrono::seconds(2);

// Ends the frame thread the polite way: `running` is already clear, so it leaves its loop after the
// frame it is drawing. A thread that does not come back in time is not waited for further.
void stop_frame_thread(std::thread& thread, std::future<void>& finished) {
  if (finished.wait_for(frame_thread_stop_wait) == std::future_status::ready) {
    thread.join();
    return;
  }
  std::fprintf(stderr, "zarn: the frame thread did not stop in time; ending without it\n");
  std::fflush(stderr);
  std::_Exit(0);
}

// Both objects from "3d-obj.3d" with the texture of "credits.bmp"; a file that cannot be used is shown to
// the user like the other start-up failures, with the reason on stderr.
bool load_scene_objects(scene::IntroScene& scene) {
  const base::LoadResult result = engine3d::load_intro_objects(scene.objects);
  if (result.loaded()) return true;
  std::fprintf(stderr, "zarn: %s\n", result.reason.c_str());
  platform::message_box(engine3d::object_failure_message(result), engine3d::object_message_caption);
  return false;
}

}  // namespace

const int built_in_display_mode = ZARN_DISPLAY_MODE;

int load_assets() {
  allocate_frame_buffer();
  if (!load_script()) return 0;
  // Opens the sound output before any picture is read; its failure has shown its message and ends the program.
  if (!music::sound_start(base::music_file_name)) {
    frame_state.running = 0;
    return 0;
  }
  // Missing bitmaps are not reported: each effect draws nothing, or black, without its picture.
  scene::create_large_font();
  scene::create_small_font();
  load_bmp(base::logo_file_name, scene::logo_image);
  scene::load_shaded_image(base::blob_file_name, scene::blob_image);
  scene::load_shaded_image(base::banner_file_name, scene::zarn_image);
  scene::load_shaded_image(base::credits_file_name, scene::credits_image);
  set_up_blended_presentation();
  scene::reset_particles();
  scene::fill_saturating_double_table();
  if (!engine3d::allocate_depth_buffer()) return 0;
  if (!load_scene_objects(scene::intro_scene)) return 0;
  engine3d::place_intro_camera(scene::intro_scene.the_camera);
  scene::fill_logo_shades();
  scene::fill_light_map();
  return scene::fill_bump_map() ? 1 : 0;
}

int run_program(int display_mode) {
  base::set_up_pixel_format();
  // Every start-up failure ends here, the one place that turns it into the exit code.
  if (!load_assets() || !platform::create_window("[-ZARN-]", display_mode, set_key_state)) {
    return start_up_failure_exit;
  }

  frame_state.running = 1;
  std::packaged_task<void()> body(frame_thread_main);
  std::future<void> finished = body.get_future();
  std::thread frame_thread(std::move(body));

  platform::run_message_loop();
  frame_state.running = 0;
  stop_frame_thread(frame_thread, finished);
  platform::destroy_window();
  return normal_end_exit;
}

int run_program_from_command_line(int argc, const char* const* argv) {
  const int arguments = argc > 0 ? argc - 1 : 0;  // argv[0] is the program's name, when there is one
  const ProgramOptions options = read_program_options(arguments, argv + 1, built_in_display_mode);
  switch (options.action) {
    case ProgramOptions::Action::show_usage:
      std::fputs(program_usage, stdout);
      return normal_end_exit;
    case ProgramOptions::Action::refuse:
      std::fprintf(stderr, "%s\n", options.complaint.c_str());
      return wrong_command_line_exit;
    case ProgramOptions::Action::run:
      break;
  }
  // The intro opens its files by bare name: played from a folder, it starts inside it.
  std::error_code error;
  if (!options.asset_folder.empty()) std::filesystem::current_path(options.asset_folder, error);
  if (error) {
    std::fprintf(stderr, "zarn: cannot play from %s: %s\n", options.asset_folder.c_str(), error.message().c_str());
    return wrong_command_line_exit;
  }
  return run_program(options.display_mode);
}

}  // namespace shell
