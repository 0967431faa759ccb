#pragma once
#include <string>

#include "platform/image.h"

class Window;

// Saves the window's client area as a BMP (32 bits per pixel) or monochrome PCX file, the
// format chosen by the extension of the name given in the save-file dialog ("bmp" is
// appended when none is typed). A name of four characters or fewer, or with another
// extension, writes nothing and says so. Returns 1, also after a writer failed (its message
// has been shown) or the dialog was cancelled; 0 only when the screen copy cannot be made.
int MakeSnapshot(Window& window);

// Writes `image` as a BMP file of 32 bits per pixel. Returns 1, or 0 after a message with the
// caption "About Bitmap".
int writeBmpFile(Window& window, const std::string& fileName, const Image& image);

// Writes `image` as a monochrome PCX file: pixels of the background colour become bit 1.
// Returns 1, or 0 after a message with the caption "About PCX".
int writePcxFile(Window& window, const std::string& fileName, const Image& image, Color background);
