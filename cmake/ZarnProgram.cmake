# zarn_program(NAME [WIN32] BACKEND <backend> SOURCES <files...> [LIBRARIES <libraries...>])
#
# Adds a program (the intro, the tool, a test or a benchmark) together with the platform backend it runs on.
#
# The portable libraries reach the platform through zarn_platform_api and never name a backend, since the
# same library serves programs on different backends. zarn_platform_api links whatever library the program
# names in its ZARN_PLATFORM_BACKEND target property, so each program links exactly one backend, and the
# linker meets it after every library that calls it (a static backend listed by hand before its callers
# would leave their calls unresolved). The backends:
#   zarn_platform_sdl       the intro on Linux: window, frame buffer and wave device through SDL2
#   zarn_platform_win32     the intro on Windows: DirectDraw and wave-out
#   zarn_platform_web       the intro in a web page: a canvas, DOM key events and an AudioWorklet
#   zarn_platform_headless  the tool, the tests and the benchmarks: no window, and a wave device that moves
#                           only when its caller plays it
#   zarn_platform_template  the stubbed template a new backend starts from (src/platform/template/), linked
#                           only by platform_template_check, which proves it complete
function(zarn_program name)
  cmake_parse_arguments(PARSE_ARGV 1 PROGRAM "WIN32" "BACKEND" "SOURCES;LIBRARIES")
  if(NOT PROGRAM_BACKEND OR NOT PROGRAM_SOURCES)
    message(FATAL_ERROR "zarn_program(${name}) needs a BACKEND and SOURCES")
  endif()
  if(PROGRAM_WIN32)
    add_executable(${name} WIN32 ${PROGRAM_SOURCES})
  else()
    add_executable(${name} ${PROGRAM_SOURCES})
  endif()
  set_target_properties(${name} PROPERTIES ZARN_PLATFORM_BACKEND ${PROGRAM_BACKEND})
  target_link_libraries(${name} PRIVATE ${PROGRAM_LIBRARIES} zarn_platform_api)
endfunction()
