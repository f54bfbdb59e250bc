// BMP reader.
#include "shell/bmp_reader.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "base/regular_file.h"

namespace shell {
namespace {

constexpr std::size_t file_header_size = 14;
// The info header this reader takes its fields from; later headers (108, 124 bytes) add fields after it.
constexpr std::size_t info_header_size = 40;
constexpr std::uint32_t max_info_header_size = 4096;
constexpr int max_palette_entries = 256;
// The largest pixel depth of the BMP format; deeper claims are junk.
constexpr int max_bits_per_pixel = 32;

std::uint32_t read_u16(const std::uint8_t* p) { return p[0] | (p[1] << 8); }
std::uint32_t read_u32(const std::uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

struct BmpHeader {
  std::uint32_t type;
  std::uint32_t pixel_offset;  // bfOffBits
  std::uint32_t header_size;   // biSize
  std::int32_t width;
  std::int32_t height;
  std::uint32_t planes;
  std::uint32_t bit_count;
  std::uint32_t compression;
  std::uint32_t colours_used;
};

BmpHeader parse_header(const std::array<std::uint8_t, file_header_size + info_header_size>& raw) {
  const std::uint8_t* info = raw.data() + file_header_size;
  return BmpHeader{read_u16(raw.data()),
                   read_u32(raw.data() + 10),
                   read_u32(info),
                   static_cast<std::int32_t>(read_u32(info + 4)),
                   static_cast<std::int32_t>(read_u32(info + 8)),
                   read_u16(info + 12),
                   read_u16(info + 14),
                   read_u32(info + 16),
                   read_u32(info + 32)};
}

// Bytes per pixel row, padded to 32 bits as the format stores them.
std::int64_t pitch_of(std::int64_t width, std::int64_t bits_per_pixel) { return (width * bits_per_pixel + 31) / 32 * 4; }

// Colour entries the file stores, or -1 when there are more than a palette holds.
int palette_entries_of(const BmpHeader& header) {
  if (header.colours_used > max_palette_entries) return -1;
  if (header.colours_used == 0 && header.bit_count == 8) return max_palette_entries;
  return static_cast<int>(header.colours_used);
}

// Why the reader cannot take a file with this header, or nullptr when it can.
const char* refusal_of(const BmpHeader& header) {
  if (header.type != 0x4D42) return "not a BMP file";
  if (header.planes != 1 || header.compression != 0) return "not an uncompressed bitmap of one plane";
  if (header.header_size < info_header_size || header.header_size > max_info_header_size) {
    return "an info header of a size no BMP has";
  }
  if (header.bit_count < 8 || header.bit_count > max_bits_per_pixel) return "not 8 to 32 bits per pixel";
  const std::int64_t rows = header.height < 0 ? -std::int64_t{header.height} : header.height;
  if (header.width < 0) return "a negative width";
  if (header.width > bmp_max_side || rows > bmp_max_side) return "a side above 16384 pixels";
  if (pitch_of(header.width, header.bit_count) * rows > bmp_max_pixel_bytes) return "more than 256 MiB of pixels";
  if (palette_entries_of(header) < 0) return "more than 256 colours";
  return nullptr;
}

// The file's bytes as the reader walks them: a position that may lie beyond the end, where reads get
// nothing, as after a seek past the end of a file.
class BmpBytes {
 public:
  explicit BmpBytes(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  std::size_t size() const { return bytes_.size(); }
  std::size_t position() const { return position_; }
  void seek(std::size_t position) { position_ = position; }

  // Copies up to `count` bytes from the position and moves past them; returns how many there were.
  std::size_t read(std::uint8_t* out, std::size_t count) {
    const std::size_t left = position_ < bytes_.size() ? bytes_.size() - position_ : 0;
    const std::size_t got = std::min(count, left);
    if (got > 0) std::memcpy(out, bytes_.data() + position_, got);
    position_ += got;
    return got;
  }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t position_ = 0;
};

// Stored (blue, green, red, reserved) becomes memory order (red, green, blue, 0).
std::vector<std::uint32_t> read_palette(BmpBytes& file, int entries) {
  std::array<std::uint8_t, max_palette_entries * 4> raw{};
  file.read(raw.data(), static_cast<std::size_t>(entries) * 4);  // a short colour table keeps zeros
  std::vector<std::uint32_t> palette(max_palette_entries, 0);
  for (int i = 0; i < max_palette_entries; ++i) {
    const std::uint8_t* e = raw.data() + i * 4;
    palette[i] = e[2] | (e[1] << 8) | (static_cast<std::uint32_t>(e[0]) << 16);
  }
  return palette;
}

// Rows the file does not hold stay zero; a row cut by the end keeps the bytes that are there.
void read_rows(BmpBytes& file, base::Image& image) {
  const int rows = image.row_count();
  const bool bottom_up = image.height >= 0;
  for (int i = 0; i < rows; ++i) {
    const int row = bottom_up ? rows - 1 - i : i;
    std::uint8_t* dst = image.pixels.data() + static_cast<std::size_t>(row) * image.pitch;
    if (file.read(dst, image.pitch) < static_cast<std::size_t>(image.pitch)) return;
  }
}

// Pixels start right after the colour table, unless the header places them further on, as files with a gap
// before their pixels do. An offset that points back into the headers, or so far on that the pixels would
// not fit in the file, is junk and is passed over: such files have always read their rows after the table.
void go_to_pixels(BmpBytes& file, const BmpHeader& header, std::size_t pixel_bytes) {
  const bool further_on = header.pixel_offset > file.position();
  if (further_on && std::uint64_t{header.pixel_offset} + pixel_bytes <= file.size()) file.seek(header.pixel_offset);
}

}  // namespace

base::LoadResult read_bmp_bytes(std::span<const std::uint8_t> bytes, base::Image& image) {
  image = base::Image{};
  BmpBytes file(bytes);
  std::array<std::uint8_t, file_header_size + info_header_size> raw{};
  if (file.read(raw.data(), raw.size()) < raw.size()) return base::LoadResult::refused("shorter than the BMP headers");
  const BmpHeader header = parse_header(raw);
  if (const char* refusal = refusal_of(header)) return base::LoadResult::refused(refusal);
  file.seek(file_header_size + header.header_size);  // the colour table follows the info header, whatever its size

  base::Image loaded;
  loaded.width = header.width;
  loaded.height = header.height;
  loaded.bits_per_pixel = static_cast<std::int32_t>(header.bit_count);
  loaded.pitch = static_cast<std::int32_t>(pitch_of(loaded.width, loaded.bits_per_pixel));
  const int entries = palette_entries_of(header);
  if (entries > 0) loaded.palette = read_palette(file, entries);
  loaded.pixels.assign(static_cast<std::size_t>(loaded.pitch) * loaded.row_count(), 0);
  go_to_pixels(file, header, loaded.pixels.size());
  read_rows(file, loaded);
  image = std::move(loaded);
  return base::LoadResult::success();
}

base::LoadResult read_bmp_file(const char* path, base::Image& image) {
  image = base::Image{};
  std::vector<std::uint8_t> bytes;
  switch (base::read_regular_file(path, bmp_max_file_bytes, bytes)) {
    case base::FileRead::cannot_open: return base::LoadResult::cannot_open("cannot open the file");
    case base::FileRead::too_large: return base::LoadResult::refused("a file of more than 512 MiB");
    case base::FileRead::read:
    case base::FileRead::cannot_read: break;  // what came reads as a file that ends there
  }
  return read_bmp_bytes(bytes, image);
}

int load_bmp(const char* path, base::Image& image) {
  switch (read_bmp_file(path, image).status) {
    case base::LoadStatus::loaded: return bmp_loaded;
    case base::LoadStatus::cannot_open: return bmp_cannot_open;
    case base::LoadStatus::refused: break;
  }
  return bmp_not_supported;
}

}  // namespace shell
