// The importers' files, named for the intro's folder.
#include "tools/kit/imported_file.h"

#include "base/asset_files.h"
#include "tools/object/object_import.h"

namespace tools {

std::optional<ImportedPicture> import_picture_file(const std::vector<std::uint8_t>& file, const std::string& name,
                                                   ImageSlot slot, const std::vector<Rgb888>& gold,
                                                   std::string& failure) {
  const auto imported = import_image(file, name, slot, gold, failure);
  if (!imported) return std::nullopt;
  return ImportedPicture{{image_slot_file_name(slot), encode_bmp8(imported->picture)},
                         imported->picture.width,
                         imported->picture.height,
                         imported->summary};
}

std::optional<NamedFile> import_object_file(const std::string& obj_text, const std::string& name,
                                            std::vector<std::string>& report) {
  const auto text = import_object(obj_text, name, report);
  if (!text) return std::nullopt;
  return NamedFile{base::object_file_name, {text->begin(), text->end()}};
}

}  // namespace tools
