#pragma once
#include <cstdint>
#include <vector>

#include "platform/image.h"

// The three parts of a BMP file made from a screen image: the 14-byte file header,
// the 40-byte information header followed by its colour table, and S bytes of pixels
// (rows bottom-up, each padded to 4 bytes, then zero bytes up to S).
struct BmpParts {
  std::vector<uint8_t> fileHeader;
  std::vector<uint8_t> infoHeader;
  std::vector<uint8_t> pixels;
};

// Rounded colour depth B of a bitmap of b bits per pixel: 1, 4, 8, 16, 24 or 32.
uint16_t bmpRoundedDepth(uint16_t bitsPerPixel);

// Entries of the colour table (2^B below 16 bits per pixel, else 0).
uint32_t bmpColourCount(uint16_t bitsPerPixel);

// Size S of the pixel part: ((W + 7) / 8) x H x B bytes; 0 when W or H is not positive.
uint64_t bmpImageSize(int32_t width, int32_t height, uint16_t bitsPerPixel);

// The 40-byte information header followed by a zeroed colour table of 4K bytes.
std::vector<uint8_t> bmpInfoHeader(int32_t width, int32_t height, uint16_t bitsPerPixel);

// Encodes a screen image as a BMP of 24 or 32 bits per pixel. Fails (returns false, `out`
// untouched) for another depth, an empty image, or a file over the size limit; throws
// std::bad_alloc when memory runs out.
bool encodeBmp(const Image& image, uint16_t bitsPerPixel, BmpParts& out);

// Largest pixel part the writer accepts (bytes).
constexpr uint64_t kBmpMaxImageSize = uint64_t{1} << 30;
