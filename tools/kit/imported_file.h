// `zarn-tool import`'s conversions as the files of the intro's folder they make: each name as the intro
// opens it and the bytes, made in memory before anything is written, so that a page can take them into a
// set as they are.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tools/files/file_set.h"
#include "tools/image/image_import.h"

namespace tools {

struct ImportedPicture {
  NamedFile file;       // the slot's 8-bit bitmap
  int width = 0;        // pixels
  int height = 0;
  std::string summary;  // import_image's line on what was scaled and quantised
};

// The slot's bitmap from a PNG or JPEG file's bytes (`name` for messages), made as import_image makes it
// with `gold` as the credits strip's rule. Nothing when it cannot be made: `failure` says why.
std::optional<ImportedPicture> import_picture_file(const std::vector<std::uint8_t>& file, const std::string& name,
                                                   ImageSlot slot, const std::vector<Rgb888>& gold,
                                                   std::string& failure);

// The object file from an OBJ model's text, made as import_object makes it; `report` as there.
std::optional<NamedFile> import_object_file(const std::string& obj_text, const std::string& name,
                                            std::vector<std::string>& report);

}  // namespace tools
