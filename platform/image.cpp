#include "platform/image.h"

#include <new>
#include <stdexcept>

bool resizeImage(Image& image, int32_t w, int32_t h, Color fill) {
  if (w < 0 || h < 0 || w > kMaxImageSide || h > kMaxImageSide) {
    image = Image{};
    return false;
  }
  try {
    image.pixels.assign(static_cast<size_t>(w) * static_cast<size_t>(h), fill);
  } catch (const std::bad_alloc&) {
    image = Image{};
    return false;
  } catch (const std::length_error&) {
    image = Image{};
    return false;
  }
  image.width = w;
  image.height = h;
  return true;
}
