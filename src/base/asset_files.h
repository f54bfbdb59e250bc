// The names of the files the intro reads from its folder, in one place, so that the program, the checks
// of a folder and the tools that make one always agree. Bare names: the program opens them in its
// current directory.
#pragma once

#include <array>

namespace base {

inline constexpr const char* script_file_name = "zarn.dat";
inline constexpr const char* music_file_name = "music.xm";
inline constexpr const char* large_font_file_name = "chars.bmp";   // the scroll lines' glyphs
inline constexpr const char* small_font_file_name = "chars2.bmp";  // the NFO screen's glyphs
inline constexpr const char* logo_file_name = "logo.bmp";
inline constexpr const char* blob_file_name = "blob.bmp";
inline constexpr const char* banner_file_name = "zarn.bmp";      // the NFO screen's banner
inline constexpr const char* credits_file_name = "credits.bmp";  // the credits strip, and the objects' texture
inline constexpr const char* object_file_name = "3d-obj.3d";
// Looked for in this order; the first that opens is checked. The tools write the first.
inline constexpr std::array<const char*, 3> nfo_file_names = {"ZARN.NFO", "ZARNVEKO.NFO", "ZARNQIX.NFO"};

}  // namespace base
