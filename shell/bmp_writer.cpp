#include "shell/bmp_writer.h"

#include <utility>

namespace {

void put16(std::vector<uint8_t>& v, size_t at, uint32_t value) {
  v[at] = static_cast<uint8_t>(value & 0xFF);
  v[at + 1] = static_cast<uint8_t>((value >> 8) & 0xFF);
}

void put32(std::vector<uint8_t>& v, size_t at, uint32_t value) {
  put16(v, at, value & 0xFFFF);
  put16(v, at + 2, value >> 16);
}

}  // namespace

uint16_t bmpRoundedDepth(uint16_t bitsPerPixel) {
  if (bitsPerPixel == 1) return 1;
  if (bitsPerPixel <= 4) return 4;
  if (bitsPerPixel <= 8) return 8;
  if (bitsPerPixel <= 16) return 16;
  if (bitsPerPixel <= 24) return 24;
  return 32;
}

uint32_t bmpColourCount(uint16_t bitsPerPixel) {
  const uint16_t depth = bmpRoundedDepth(bitsPerPixel);
  return depth < 16 ? (uint32_t{1} << depth) : 0;
}

uint64_t bmpImageSize(int32_t width, int32_t height, uint16_t bitsPerPixel) {
  if (width <= 0 || height <= 0) return 0;
  const uint64_t w = static_cast<uint64_t>(width);
  return (w + 7) / 8 * static_cast<uint64_t>(height) * bmpRoundedDepth(bitsPerPixel);
}

std::vector<uint8_t> bmpInfoHeader(int32_t width, int32_t height, uint16_t bitsPerPixel) {
  const uint32_t colours = bmpColourCount(bitsPerPixel);
  std::vector<uint8_t> info(40 + 4 * static_cast<size_t>(colours), 0);
  put32(info, 0, 40);
  put32(info, 4, static_cast<uint32_t>(width));
  put32(info, 8, static_cast<uint32_t>(height));
  put16(info, 12, 1);
  put16(info, 14, bitsPerPixel);
  put32(info, 16, 0);
  put32(info, 20, static_cast<uint32_t>(bmpImageSize(width, height, bitsPerPixel)));
  put32(info, 32, colours);
  return info;
}

bool encodeBmp(const Image& image, uint16_t bitsPerPixel, BmpParts& out) {
  const int32_t width = image.width;
  const int32_t height = image.height;
  if (image.empty() || image.pixels.size() < static_cast<size_t>(width) * static_cast<size_t>(height))
    return false;
  if (bitsPerPixel != 24 && bitsPerPixel != 32) return false;
  const uint64_t imageSize = bmpImageSize(width, height, bitsPerPixel);
  if (imageSize > kBmpMaxImageSize) return false;

  BmpParts parts;
  parts.infoHeader = bmpInfoHeader(width, height, bitsPerPixel);
  const uint32_t headersSize = static_cast<uint32_t>(14 + parts.infoHeader.size());
  parts.fileHeader.assign(14, 0);
  parts.fileHeader[0] = 'B';
  parts.fileHeader[1] = 'M';
  put32(parts.fileHeader, 2, headersSize + static_cast<uint32_t>(imageSize));
  put32(parts.fileHeader, 10, headersSize);

  // The rows as the retrieval of device-independent bits gives them: bottom-up,
  // each padded to 4 bytes; S may exceed them, the surplus stays zero.
  const size_t bytesPerPixel = bitsPerPixel / 8;
  const size_t w = static_cast<size_t>(width);
  const size_t stride = (w * bytesPerPixel + 3) / 4 * 4;
  const size_t h = static_cast<size_t>(height);
  parts.pixels.assign(static_cast<size_t>(imageSize), 0);
  for (size_t row = 0; row < h && (row + 1) * stride <= parts.pixels.size(); ++row) {
    const Color* source = image.pixels.data() + (h - 1 - row) * w;
    uint8_t* target = parts.pixels.data() + row * stride;
    for (size_t x = 0; x < w; ++x) {
      const uint32_t p = source[x];
      target[x * bytesPerPixel] = static_cast<uint8_t>(p & 0xFF);
      target[x * bytesPerPixel + 1] = static_cast<uint8_t>((p >> 8) & 0xFF);
      target[x * bytesPerPixel + 2] = static_cast<uint8_t>((p >> 16) & 0xFF);
    }
  }
  out = std::move(parts);
  return true;
}
