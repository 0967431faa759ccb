#include "platform/bmp_decode.h"

#include <vector>

namespace {
uint32_t u16(const uint8_t* p) { return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8); }
uint32_t u32(const uint8_t* p) { return u16(p) | (u16(p + 2) << 16); }
}  // namespace

bool decodeBmp(const uint8_t* data, size_t size, Image& out) {
  out = Image{};
  if (data == nullptr || size < 54 || data[0] != 'B' || data[1] != 'M') return false;
  const uint32_t pixelOffset = u32(data + 10);
  const uint32_t headerSize = u32(data + 14);
  if (headerSize < 40 || 14u + static_cast<uint64_t>(headerSize) > size) return false;
  const auto width = static_cast<int32_t>(u32(data + 18));
  const auto rawHeight = static_cast<int32_t>(u32(data + 22));
  const uint32_t bits = u16(data + 28);
  const uint32_t compression = u32(data + 30);
  uint32_t colours = u32(data + 46);
  if (compression != 0 || width <= 0 || rawHeight == 0 || rawHeight == INT32_MIN) return false;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return false;
  const bool topDown = rawHeight < 0;
  const int32_t height = topDown ? -rawHeight : rawHeight;
  if (width > kMaxImageSide || height > kMaxImageSide) return false;

  std::vector<Color> palette;
  if (bits <= 8) {
    const uint32_t maxColours = 1u << bits;
    if (colours == 0 || colours > maxColours) colours = maxColours;
    const uint64_t tableStart = 14u + static_cast<uint64_t>(headerSize);
    if (tableStart + 4u * static_cast<uint64_t>(colours) > size) return false;
    for (uint32_t i = 0; i < colours; ++i) {
      const uint8_t* e = data + tableStart + 4u * i;
      palette.push_back(rgb(e[2], e[1], e[0]));
    }
  }
  const uint64_t stride = ((static_cast<uint64_t>(width) * bits + 31u) / 32u) * 4u;
  if (static_cast<uint64_t>(pixelOffset) + stride * static_cast<uint64_t>(height) > size) return false;
  Image image;
  if (!resizeImage(image, width, height, kBlack)) return false;
  for (int32_t row = 0; row < height; ++row) {
    const int32_t y = topDown ? row : height - 1 - row;
    const uint8_t* line = data + pixelOffset + stride * static_cast<uint64_t>(row);
    for (int32_t x = 0; x < width; ++x) {
      Color c = kBlack;
      const auto ux = static_cast<uint32_t>(x);
      if (bits == 32 || bits == 24) {
        const uint8_t* p = line + ux * (bits / 8);
        c = rgb(p[2], p[1], p[0]);
      } else {
        uint32_t index = 0;
        if (bits == 8)
          index = line[ux];
        else if (bits == 4)
          index = (line[ux / 2] >> ((ux % 2) ? 0 : 4)) & 0x0F;
        else
          index = (line[ux / 8] >> (7 - ux % 8)) & 0x01;
        if (index >= palette.size()) return false;
        c = palette[index];
      }
      image.at(x, y) = c;
    }
  }
  out = std::move(image);
  return true;
}
