# Build of the web page with Debian's emscripten: WebAssembly on workers that share one memory.
# Every object is compiled with threads, since a memory shared between workers needs atomics everywhere.
include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)

set(CMAKE_CXX_FLAGS_INIT "-pthread")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-pthread")

set(ZARN_PLATFORM web CACHE STRING "Platform backend of the zarn program")
