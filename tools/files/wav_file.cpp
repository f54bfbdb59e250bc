// The canonical 44-byte header, then the samples little-endian; the two sizes are filled in at the end.
#include "tools/files/wav_file.h"

#include <bit>
#include <cstdio>
#include <limits>
#include <vector>

namespace tools {
namespace {

constexpr int bytes_per_sample = 2;
constexpr std::uint16_t format_pcm = 1;
constexpr std::uint32_t format_chunk_size = 16;
constexpr std::uint32_t header_bytes_after_size = 36;  // "WAVE", the format chunk and the data chunk's head
constexpr long riff_size_at = 4;
constexpr long data_size_at = 40;
// Both sizes are 32-bit fields.
constexpr std::uint64_t max_data_bytes = std::numeric_limits<std::uint32_t>::max() - header_bytes_after_size;

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

std::vector<std::uint8_t> header(int channels, int rate, std::uint32_t data_bytes) {
  const auto block_align = static_cast<std::uint16_t>(channels * bytes_per_sample);
  std::vector<std::uint8_t> out;
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
  return out;
}

// The largest sizes the two fields hold: a stream's sizes, which are not known when the header is sent.
constexpr std::uint32_t unknown_data_bytes = static_cast<std::uint32_t>(max_data_bytes);

}  // namespace

bool WavWriter::fail() {
  std::fprintf(stderr, "zarn-tool: %s\n", output_.failure().c_str());
  return false;
}

bool WavWriter::open(const std::string& path, int channels, int rate) {
  data_bytes_ = 0;
  if (!output_.open(path)) return fail();
  const std::vector<std::uint8_t> bytes = header(channels, rate, unknown_data_bytes);
  return output_.write(bytes.data(), bytes.size()) || fail();
}

bool WavWriter::append(const std::int16_t* samples, std::size_t count) {
  if (data_bytes_ + count * bytes_per_sample > max_data_bytes) {
    std::fprintf(stderr, "zarn-tool: the sound is too long for a WAV file's 4 GB\n");
    return false;
  }
  // WAV samples are little-endian, as they lie in memory on every target: they go out as they are.
  static_assert(std::endian::native == std::endian::little);
  if (!output_.write(samples, count * bytes_per_sample)) return fail();
  data_bytes_ += count * bytes_per_sample;
  return true;
}

bool WavWriter::finish() {
  if (output_.can_rewrite()) {
    std::vector<std::uint8_t> riff_size;
    std::vector<std::uint8_t> data_size;
    put_u32(riff_size, header_bytes_after_size + static_cast<std::uint32_t>(data_bytes_));
    put_u32(data_size, static_cast<std::uint32_t>(data_bytes_));
    if (!output_.rewrite(riff_size_at, riff_size.data(), riff_size.size()) ||
        !output_.rewrite(data_size_at, data_size.data(), data_size.size())) {
      return fail();
    }
  }
  return output_.commit() || fail();
}

}  // namespace tools
