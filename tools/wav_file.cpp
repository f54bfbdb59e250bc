// The canonical 44-byte header, then the samples little-endian; the two sizes are filled in at the end.
#include "tools/wav_file.h"

#include <array>
#include <filesystem>
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

bool put_size_at(std::FILE* file, long at, std::uint32_t size) {
  std::vector<std::uint8_t> bytes;
  put_u32(bytes, size);
  return std::fseek(file, at, SEEK_SET) == 0 && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

}  // namespace

WavWriter::~WavWriter() {
  if (!file_) return;
  std::fclose(file_);
  std::error_code ignored;
  std::filesystem::remove(temporary_, ignored);
}

bool WavWriter::fail(const char* what) {
  std::fprintf(stderr, "cannot %s %s\n", what, temporary_.c_str());
  if (file_) std::fclose(file_);
  file_ = nullptr;
  std::error_code ignored;
  std::filesystem::remove(temporary_, ignored);
  return false;
}

bool WavWriter::open(const std::string& path, int channels, int rate) {
  path_ = path;
  temporary_ = path + ".tmp";
  data_bytes_ = 0;
  file_ = std::fopen(temporary_.c_str(), "wb");
  if (!file_) return fail("write");
  const std::vector<std::uint8_t> bytes = header(channels, rate, 0);
  return std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size() || fail("write");
}

bool WavWriter::append(const std::int16_t* samples, std::size_t count) {
  if (!file_) return false;
  if (data_bytes_ + count * bytes_per_sample > max_data_bytes) return fail("fit the sound into");
  std::array<std::uint8_t, 4096> bytes;
  while (count > 0) {
    const std::size_t n = std::min(count, bytes.size() / bytes_per_sample);
    for (std::size_t i = 0; i < n; ++i) {
      const auto v = static_cast<std::uint16_t>(samples[i]);
      bytes[2 * i] = static_cast<std::uint8_t>(v);
      bytes[2 * i + 1] = static_cast<std::uint8_t>(v >> 8);
    }
    if (std::fwrite(bytes.data(), 1, n * bytes_per_sample, file_) != n * bytes_per_sample) return fail("write");
    data_bytes_ += n * bytes_per_sample;
    samples += n;
    count -= n;
  }
  return true;
}

bool WavWriter::finish() {
  if (!file_) return false;
  const auto data_bytes = static_cast<std::uint32_t>(data_bytes_);
  if (!put_size_at(file_, riff_size_at, header_bytes_after_size + data_bytes) ||
      !put_size_at(file_, data_size_at, data_bytes)) {
    return fail("write");
  }
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  if (!closed) return fail("write");
  std::error_code error;
  std::filesystem::rename(temporary_, path_, error);
  if (error) {
    std::fprintf(stderr, "cannot replace %s: %s\n", path_.c_str(), error.message().c_str());
    std::filesystem::remove(temporary_, error);
    return false;
  }
  return true;
}

}  // namespace tools
