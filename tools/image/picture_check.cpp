// Checking a PNG's chunks, pixel data and palette indices, and a JPEG's markers, before decoding.
#include "tools/image/picture_check.h"

#include <array>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "tools/image/stb_image_decoder.h"

namespace tools {
namespace {

using Bytes = std::span<const std::uint8_t>;

constexpr std::uint8_t png_signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::uint8_t jpeg_start[] = {0xFF, 0xD8, 0xFF};

bool starts_with(Bytes file, Bytes start) {
  return file.size() >= start.size() && std::memcmp(file.data(), start.data(), start.size()) == 0;
}

std::uint32_t big_endian_32(Bytes bytes, std::size_t at) {
  return std::uint32_t{bytes[at]} << 24 | std::uint32_t{bytes[at + 1]} << 16 | std::uint32_t{bytes[at + 2]} << 8 |
         bytes[at + 3];
}
unsigned big_endian_16(Bytes bytes, std::size_t at) { return unsigned{bytes[at]} << 8 | bytes[at + 1]; }

std::string byte_words(std::size_t at) { return "at byte " + std::to_string(at); }

// Empty when a picture of this size may be decoded.
std::string size_fault(std::uint64_t width, std::uint64_t height) {
  const std::string size = "the picture is " + std::to_string(width) + "x" + std::to_string(height);
  if (width == 0 || height == 0) return size + ": it has no pixels";
  if (width > picture_max_side || height > picture_max_side ||
      width * height > static_cast<std::uint64_t>(picture_max_pixels)) {
    return size + ": at most " + std::to_string(picture_max_side) + " pixels a side and " +
           std::to_string(picture_max_pixels >> 20) + " million pixels are taken";
  }
  return {};
}

// --- PNG ---

// The CRC-32 of PNG chunks (polynomial 0xEDB88320, reflected), the table made once at compile time.
constexpr std::array<std::uint32_t, 256> crc_table = [] {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}();

struct PngHeader {
  std::uint32_t width = 0, height = 0;
  int depth = 0, colour_type = 0, interlace = 0;
};

constexpr int palette_colour_type = 3;

int channels_of(int colour_type) {
  switch (colour_type) {
    case 0: return 1;  // grey
    case 2: return 3;  // RGB
    case 3: return 1;  // palette index
    case 4: return 2;  // grey and alpha
    case 6: return 4;  // RGBA
  }
  return 0;
}

bool depth_allowed(int colour_type, int depth) {
  switch (colour_type) {
    case 0: return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3: return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case 2: case 4: case 6: return depth == 8 || depth == 16;
  }
  return false;
}

std::string header_fault(Bytes data, PngHeader& header) {
  if (data.size() != 13) return "the IHDR chunk holds " + std::to_string(data.size()) + " bytes, not 13";
  header = {big_endian_32(data, 0), big_endian_32(data, 4), data[8], data[9], data[12]};
  if (std::string fault = size_fault(header.width, header.height); !fault.empty()) return fault;
  if (!depth_allowed(header.colour_type, header.depth)) {
    return "colour type " + std::to_string(header.colour_type) + " with " + std::to_string(header.depth) +
           "-bit samples is not a PNG format";
  }
  if (data[10] != 0 || data[11] != 0) return "the IHDR chunk names an unknown compression or filter method";
  if (header.interlace > 1) return "the IHDR chunk names an unknown interlace method";
  return {};
}

// The rows of an interlaced picture come in seven passes over the Adam7 grid; a plain one is one pass.
struct Pass {
  std::uint32_t x0, y0, dx, dy;
};
constexpr Pass plain_pass[] = {{0, 0, 1, 1}};
constexpr Pass adam7_passes[] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                 {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};

std::span<const Pass> passes_of(const PngHeader& header) {
  if (header.interlace) return adam7_passes;
  return plain_pass;
}

std::uint32_t pass_span(std::uint32_t size, std::uint32_t first, std::uint32_t step) {
  return size > first ? (size - first + step - 1) / step : 0;
}

struct PassSize {
  std::uint32_t width, height;
  std::size_t row_bytes;  // without the filter byte
};

PassSize pass_size(const PngHeader& header, const Pass& pass) {
  const std::uint32_t w = pass_span(header.width, pass.x0, pass.dx), h = pass_span(header.height, pass.y0, pass.dy);
  const std::uint64_t bits = std::uint64_t{w} * header.depth * channels_of(header.colour_type);
  return {w, h, static_cast<std::size_t>((bits + 7) / 8)};
}

// The inflated size of the pixel data: every pass's rows, each with its filter byte. The header's size
// limit keeps this under 300 MB.
std::size_t inflated_size(const PngHeader& header) {
  std::size_t size = 0;
  for (const Pass& pass : passes_of(header)) {
    const PassSize s = pass_size(header, pass);
    if (s.width > 0) size += s.height * (s.row_bytes + 1);
  }
  return size;
}

// Undoes a row's filter in place. A palette pixel is at most one byte, so the filters reach back one byte.
bool unfilter_palette_row(std::uint8_t filter, std::span<std::uint8_t> row, const std::uint8_t* above) {
  if (filter > 4) return false;
  if (filter == 0) return true;
  for (std::size_t i = 0; i < row.size(); ++i) {
    const int a = i > 0 ? row[i - 1] : 0, b = above ? above[i] : 0, c = above && i > 0 ? above[i - 1] : 0;
    int predicted = 0;
    switch (filter) {
      case 1: predicted = a; break;
      case 2: predicted = b; break;
      case 3: predicted = (a + b) / 2; break;
      case 4: {
        const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
        predicted = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
        break;
      }
    }
    row[i] = static_cast<std::uint8_t>(row[i] + predicted);
  }
  return true;
}

unsigned palette_index(std::span<const std::uint8_t> row, std::uint32_t x, int depth) {
  if (depth == 8) return row[x];
  const std::size_t bit = std::size_t{x} * depth;
  return (row[bit / 8] >> (8 - depth - bit % 8)) & ((1u << depth) - 1);
}

// stb_image expands a palette picture through a 256-entry table filled only as far as the palette goes:
// an index past it would bring uninitialised memory into the picture, different on every run.
std::string palette_index_fault(const PngHeader& header, std::span<std::uint8_t> raw, std::size_t palette_size) {
  std::size_t at = 0;
  for (const Pass& pass : passes_of(header)) {
    const PassSize s = pass_size(header, pass);
    if (s.width == 0) continue;
    const std::uint8_t* above = nullptr;
    for (std::uint32_t y = 0; y < s.height; ++y, at += s.row_bytes + 1) {
      const std::span<std::uint8_t> row = raw.subspan(at + 1, s.row_bytes);
      const std::uint32_t image_y = pass.y0 + y * pass.dy;
      if (!unfilter_palette_row(raw[at], row, above)) {
        return "row " + std::to_string(image_y) + " has an unknown filter type " + std::to_string(raw[at]);
      }
      for (std::uint32_t x = 0; x < s.width; ++x) {
        if (const unsigned index = palette_index(row, x, header.depth); index >= palette_size) {
          return "pixel (" + std::to_string(pass.x0 + x * pass.dx) + ", " + std::to_string(image_y) +
                 ") takes palette entry " + std::to_string(index) + ", past the palette's " +
                 std::to_string(palette_size) + " colours";
        }
      }
      above = row.data();
    }
  }
  return {};
}

// Inflates the pixel data into exactly the size the header gives, so a small file cannot inflate to
// gigabytes, and checks a palette picture's indices.
std::string pixel_data_fault(const PngHeader& header, Bytes compressed, std::size_t palette_size) {
  std::vector<std::uint8_t> raw(inflated_size(header));
  std::string reason;
  const long long inflated = inflate_zlib(compressed, raw, reason);
  if (inflated < 0 && reason == "output buffer limit") return "the pixel data holds more than its size needs";
  if (inflated < 0) return "the pixel data cannot be inflated (" + reason + ")";
  if (static_cast<std::size_t>(inflated) < raw.size()) {
    return "the pixel data ends early: " + std::to_string(inflated) + " of " + std::to_string(raw.size()) +
           " bytes";
  }
  if (header.colour_type != palette_colour_type) return {};
  return palette_index_fault(header, raw, palette_size);
}

std::string chunk_words(const std::string& type, std::size_t at) { return "chunk " + type + " " + byte_words(at); }

bool is_chunk_type(Bytes type) {
  for (std::uint8_t c : type) {
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) return false;
  }
  return true;
}

// What the chunks say, as far as the check needs it.
struct PngChunks {
  PngHeader header;
  bool has_header = false;
  std::size_t palette_size = 0;  // colours
  std::vector<std::uint8_t> image_data;  // every IDAT's bytes, in order: one zlib stream
};

// Takes one chunk's content into `chunks`; empty, or what is wrong with it.
std::string take_chunk(const std::string& type, std::size_t at, Bytes data, PngChunks& chunks) {
  if (!chunks.has_header && type != "IHDR") return "the PNG does not start with an IHDR chunk";
  if (type == "IHDR") {
    if (chunks.has_header) return "a second " + chunk_words(type, at);
    chunks.has_header = true;
    return header_fault(data, chunks.header);
  }
  if (type == "PLTE") {
    if (chunks.palette_size > 0) return "a second " + chunk_words(type, at);
    if (data.empty() || data.size() % 3 != 0 || data.size() > 3 * 256) {
      return chunk_words(type, at) + " holds " + std::to_string(data.size()) +
             " bytes: a palette is 1 to 256 colours of 3 bytes";
    }
    chunks.palette_size = data.size() / 3;
  }
  if (type == "IDAT") {
    if (chunks.header.colour_type == palette_colour_type && chunks.palette_size == 0) {
      return "the palette picture has no PLTE chunk before its pixels";
    }
    chunks.image_data.insert(chunks.image_data.end(), data.begin(), data.end());
  }
  return {};
}

std::string png_fault(Bytes file) {
  PngChunks chunks;
  for (std::size_t at = sizeof png_signature;;) {
    if (file.size() - at < 12) return "the PNG ends early, " + byte_words(file.size()) + ", before its IEND chunk";
    const std::uint32_t length = big_endian_32(file, at);
    const Bytes type_bytes = file.subspan(at + 4, 4);
    if (!is_chunk_type(type_bytes)) return "the chunk " + byte_words(at) + " has no 4-letter type";
    const std::string type(type_bytes.begin(), type_bytes.end());
    if (length > file.size() - at - 12) {
      return "the PNG ends early: " + chunk_words(type, at) + " runs past the end of the file";
    }
    if (png_crc32(file.subspan(at + 4, length + 4)) != big_endian_32(file, at + 8 + length)) {
      return chunk_words(type, at) + " has a wrong checksum";
    }
    if (std::string fault = take_chunk(type, at, file.subspan(at + 8, length), chunks); !fault.empty()) return fault;
    if (type == "IEND") break;
    at += 12 + std::size_t{length};
  }
  if (chunks.image_data.empty()) return "the PNG has no IDAT chunk";
  return pixel_data_fault(chunks.header, chunks.image_data, chunks.palette_size);
}

// --- JPEG ---

std::string jpeg_ends_early(std::size_t at) { return "the JPEG ends early, " + byte_words(at) + ", before its end"; }

// Markers with no length after them: TEM and the restart markers.
bool is_standalone_marker(std::uint8_t code) { return code == 0x01 || (code >= 0xD0 && code <= 0xD7); }

// SOF0 to SOF15 (C0 to CF), but for DHT (C4), JPG (C8) and DAC (CC).
bool is_frame_marker(std::uint8_t code) {
  return code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC;
}

// Empty for the frames stb_image decodes: baseline, extended sequential and progressive Huffman-coded.
std::string frame_kind_fault(std::uint8_t code) {
  if (code == 0xC3 || code == 0xC7 || code == 0xCB || code == 0xCF) return "lossless JPEG is not supported";
  if (code >= 0xC9) return "arithmetic-coded JPEG is not supported (save it with Huffman coding)";
  if (code == 0xC5 || code == 0xC6) return "hierarchical JPEG is not supported";
  return {};
}

std::string frame_fault(std::uint8_t code, Bytes segment, std::size_t at) {
  if (std::string fault = frame_kind_fault(code); !fault.empty()) return fault;
  if (segment.size() < 6) return "the frame header " + byte_words(at) + " is too short";
  if (segment[0] != 8) return "the JPEG has " + std::to_string(segment[0]) + "-bit samples: only 8-bit is supported";
  const int components = segment[5];
  if (components != 1 && components != 3 && components != 4) {
    return "the JPEG has " + std::to_string(components) + " colour components: 1, 3 or 4 are taken";
  }
  if (segment.size() != 6 + 3 * std::size_t(components)) {
    return "the frame header " + byte_words(at) + " does not fit its components";
  }
  return size_fault(big_endian_16(segment, 3), big_endian_16(segment, 1));
}

// Where the entropy-coded data after a scan header ends: at the next marker that is not a restart marker
// (a 0xFF in the data is followed by a 0x00). The file's size when it runs to the end.
std::size_t end_of_scan_data(Bytes file, std::size_t at) {
  while (at < file.size()) {
    const void* found = std::memchr(file.data() + at, 0xFF, file.size() - at);
    if (!found) return file.size();
    at = static_cast<std::size_t>(static_cast<const std::uint8_t*>(found) - file.data());
    if (at + 1 < file.size() && file[at + 1] != 0x00 && !is_standalone_marker(file[at + 1])) return at;
    at += 2;
  }
  return file.size();
}

// stb_image 2.27 fills a Huffman table's 257 code sizes and 256 values with as many codes as the table's
// 16 counts add up to, unchecked: more than 256 write past them.
std::string huffman_tables_fault(Bytes segment, std::size_t at) {
  for (std::size_t next = 0; next < segment.size();) {
    if (segment.size() - next < 17) return "the Huffman table " + byte_words(at) + " is cut short";
    std::size_t codes = 0;
    for (std::size_t i = 1; i <= 16; ++i) codes += segment[next + i];
    if (codes > 256) return "the Huffman table " + byte_words(at) + " has " + std::to_string(codes) + " codes: at most 256";
    if (codes > segment.size() - next - 17) return "the Huffman table " + byte_words(at) + " is cut short";
    next += 17 + codes;
  }
  return {};
}

struct JpegWalk {
  bool has_frame = false;
  int scans = 0;
};

// Takes one segment (the marker's code, the bytes after its length); empty, or what is wrong with it.
std::string take_segment(std::uint8_t code, std::size_t at, Bytes segment, JpegWalk& walk) {
  if (code == 0xCC) return frame_kind_fault(0xC9);
  if (code == 0xC4) return huffman_tables_fault(segment, at);
  if (is_frame_marker(code)) {
    if (walk.has_frame) return "a second frame header " + byte_words(at);
    walk.has_frame = true;
    return frame_fault(code, segment, at);
  }
  if (code == 0xDA) {
    if (!walk.has_frame) return "the scan " + byte_words(at) + " comes before the frame header";
    if (++walk.scans > jpeg_max_scans) {
      return "the JPEG has more than " + std::to_string(jpeg_max_scans) + " scans (" + byte_words(at) + ")";
    }
  }
  return {};
}

std::string jpeg_fault(Bytes file) {
  JpegWalk walk;
  for (std::size_t at = 2;;) {
    if (at >= file.size()) return jpeg_ends_early(file.size());
    if (file[at] != 0xFF) return "the JPEG has no marker " + byte_words(at) + " where one should start";
    const std::size_t marker_at = at;
    while (at < file.size() && file[at] == 0xFF) ++at;  // fill bytes
    if (at >= file.size()) return jpeg_ends_early(file.size());
    const std::uint8_t code = file[at++];
    if (code == 0xD9) break;  // EOI
    if (is_standalone_marker(code)) continue;
    if (code == 0x00 || code == 0xD8) {
      return "the JPEG has no marker " + byte_words(marker_at) + " where one should start";
    }
    if (file.size() - at < 2) return jpeg_ends_early(file.size());
    const unsigned length = big_endian_16(file, at);
    if (length < 2) return "the segment " + byte_words(marker_at) + " has a length below 2";
    if (length > file.size() - at) return jpeg_ends_early(file.size());
    const Bytes segment = file.subspan(at + 2, length - 2);
    if (std::string fault = take_segment(code, marker_at, segment, walk); !fault.empty()) return fault;
    at += length;
    if (code == 0xDA) at = end_of_scan_data(file, at);
  }
  if (walk.scans == 0) return "the JPEG has no scan";
  return {};
}

}  // namespace

std::uint32_t png_crc32(Bytes bytes) {
  std::uint32_t c = 0xFFFFFFFFu;
  for (std::uint8_t b : bytes) c = crc_table[(c ^ b) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

const char* picture_format(Bytes file) {
  if (starts_with(file, png_signature)) return "PNG";
  if (starts_with(file, jpeg_start)) return "JPEG";
  return nullptr;
}

std::string picture_fault(Bytes file) {
  const char* format = picture_format(file);
  if (!format) return "not a PNG or JPEG file";
  return format[0] == 'P' ? png_fault(file) : jpeg_fault(file);
}

}  // namespace tools
