#include "shell/pcx_writer.h"

namespace {

void put16(std::vector<uint8_t>& v, size_t at, uint32_t value) {
  v[at] = static_cast<uint8_t>(value & 0xFF);
  v[at + 1] = static_cast<uint8_t>((value >> 8) & 0xFF);
}

void endRun(uint8_t byte, uint32_t count, std::vector<uint8_t>& out) {
  if (count == 0) return;  // the run was emitted when it reached 63
  if (count > 1 || (byte & 0xC0) == 0xC0) out.push_back(static_cast<uint8_t>(0xC0 | count));
  out.push_back(byte);
}

}  // namespace

uint16_t pcxBytesPerLine(int32_t width) {
  const uint32_t w = width > 0 ? static_cast<uint32_t>(width) : 0;
  return static_cast<uint16_t>(((w + 31) >> 5) << 2);
}

std::vector<uint8_t> pcxHeader(int32_t width, int32_t height, uint32_t background) {
  std::vector<uint8_t> header(128, 0);
  header[0] = 10;
  header[1] = 5;
  header[2] = 1;
  header[3] = 1;
  put16(header, 8, static_cast<uint32_t>(width - 1));
  put16(header, 10, static_cast<uint32_t>(height - 1));
  put16(header, 12, 640);
  put16(header, 14, 480);
  header[19] = static_cast<uint8_t>((background >> 16) & 0xFF);
  header[20] = static_cast<uint8_t>((background >> 8) & 0xFF);
  header[21] = static_cast<uint8_t>(background & 0xFF);
  header[65] = 1;
  put16(header, 66, pcxBytesPerLine(width));
  put16(header, 68, 1);
  return header;
}

void pcxPackRow(const uint32_t* row, int32_t width, uint32_t background, uint16_t bytesPerLine,
                uint8_t* packed) {
  for (uint32_t i = 0; i < bytesPerLine; ++i) {
    uint8_t byte = 0;
    for (uint32_t bit = 0; bit < 8; ++bit) {
      const uint32_t x = i * 8 + bit;
      const bool isBackground =
          x >= static_cast<uint32_t>(width) || (row[x] & 0xFFFFFF) == (background & 0xFFFFFF);
      if (isBackground) byte = static_cast<uint8_t>(byte | (0x80u >> bit));
    }
    packed[i] = byte;
  }
}

void pcxEncodeLine(const uint8_t* bytes, size_t count, std::vector<uint8_t>& out) {
  if (count == 0) return;
  uint8_t current = bytes[0];
  uint32_t run = 1;
  for (size_t i = 1; i < count; ++i) {
    const uint8_t next = bytes[i];
    if (run == 0) {
      current = next;
      run = 1;
    } else if (next == current) {
      if (++run == 63) {
        out.push_back(0xFF);
        out.push_back(current);
        run = 0;
      }
    } else {
      endRun(current, run, out);
      current = next;
      run = 1;
    }
  }
  endRun(current, run, out);
}

std::vector<uint8_t> encodePcx(const Image& image, Color background) {
  const int32_t width = image.width;
  const int32_t height = image.height;
  if (image.empty() || width > 65535 || height > 65535) return {};
  if (image.pixels.size() < static_cast<size_t>(width) * static_cast<size_t>(height)) return {};
  std::vector<uint8_t> file = pcxHeader(width, height, background);
  const uint16_t bytesPerLine = pcxBytesPerLine(width);
  std::vector<uint8_t> packed(bytesPerLine);
  file.reserve(file.size() + static_cast<size_t>(height) * bytesPerLine);
  for (int32_t y = 0; y < height; ++y) {
    const Color* row = image.pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width);
    pcxPackRow(row, width, background, bytesPerLine, packed.data());
    pcxEncodeLine(packed.data(), packed.size(), file);
  }
  return file;
}
