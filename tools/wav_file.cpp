// The canonical 44-byte header, then the samples little-endian.
#include "tools/wav_file.h"

#include "tools/file_bytes.h"

namespace tools {
namespace {

constexpr int bytes_per_sample = 2;
constexpr std::uint16_t format_pcm = 1;
constexpr std::uint32_t format_chunk_size = 16;
constexpr std::uint32_t header_bytes_after_size = 36;  // "WAVE", the format chunk and the data chunk's head

void put_text(std::vector<std::uint8_t>& out, const char* four) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(four[i]));
}
void put_u16(std::vector<std::uint8_t>& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put_u32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  put_u16(out, static_cast<std::uint16_t>(v));
  put_u16(out, static_cast<std::uint16_t>(v >> 16));
}

}  // namespace

bool write_wav(const std::string& path, const std::vector<std::int16_t>& samples, int channels, int rate) {
  const auto data_bytes = static_cast<std::uint32_t>(samples.size() * bytes_per_sample);
  const auto block_align = static_cast<std::uint16_t>(channels * bytes_per_sample);
  std::vector<std::uint8_t> out;
  out.reserve(44 + data_bytes);
  put_text(out, "RIFF");
  put_u32(out, header_bytes_after_size + data_bytes);
  put_text(out, "WAVE");
  put_text(out, "fmt ");
  put_u32(out, format_chunk_size);
  put_u16(out, format_pcm);
  put_u16(out, static_cast<std::uint16_t>(channels));
  put_u32(out, static_cast<std::uint32_t>(rate));
  put_u32(out, static_cast<std::uint32_t>(rate) * block_align);
  put_u16(out, block_align);
  put_u16(out, bytes_per_sample * 8);
  put_text(out, "data");
  put_u32(out, data_bytes);
  for (const std::int16_t s : samples) put_u16(out, static_cast<std::uint16_t>(s));
  return replace_file_bytes(path, out);
}

}  // namespace tools
