#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/image.h"

// Decodes an uncompressed .bmp file (1, 4, 8, 24 or 32 bits per pixel, rows bottom-up or
// top-down) into `out`. Returns false, leaving `out` empty, for anything else or a truncated or
// inconsistent file.
bool decodeBmp(const uint8_t* data, size_t size, Image& out);
