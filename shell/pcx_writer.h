#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/image.h"

// Bytes per encoded line of a monochrome PCX image W pixels wide: the row rounded up
// to a multiple of 32 pixels, in bytes.
uint16_t pcxBytesPerLine(int32_t width);

// The 128-byte PCX header of a W x H monochrome image whose palette entry 1 is the
// background colour (0x00RRGGBB).
std::vector<uint8_t> pcxHeader(int32_t width, int32_t height, uint32_t background);

// Packs one row of pixels into `bytesPerLine` bytes, one bit per pixel, the first pixel
// in the most significant bit: 1 where the pixel equals the background, and 1 for the
// padding after the last pixel.
void pcxPackRow(const uint32_t* row, int32_t width, uint32_t background, uint16_t bytesPerLine,
                uint8_t* packed);

// Appends the run-length code of `count` bytes to `out`: runs of up to 63 equal bytes
// become 0xC0 | count followed by the byte; a single byte whose two top bits are not
// both set stands alone. At most 2 x count bytes are appended.
void pcxEncodeLine(const uint8_t* bytes, size_t count, std::vector<uint8_t>& out);

// Encodes a whole screen image as a PCX file. Returns an empty vector for an empty image
// or one wider or higher than 65535 pixels; throws std::bad_alloc when memory runs out.
std::vector<uint8_t> encodePcx(const Image& image, Color background);
