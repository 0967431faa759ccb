#include "shell/snapshot.h"

#include <cstdio>
#include <new>
#include <stdexcept>
#include <vector>

#include "files/atomic_file.h"
#include "platform/window.h"
#include "shell/bmp_writer.h"
#include "shell/pcx_writer.h"

namespace {

// The file of a writer: written to a temporary file beside the target and put in its place
// only when complete, so that a failed write leaves no fragment and the old file untouched.
struct OutputFile {
  AtomicFile file;
  bool opened;
  explicit OutputFile(const std::string& name) : file(name), opened(file.open()) {}
  bool write(const std::vector<uint8_t>& bytes) {
    return bytes.empty() || file.write(bytes.data(), bytes.size());
  }
  // Flushes, syncs and renames over the target; false when any of it failed.
  bool close() { return file.commit(); }
};

bool endsWithNoCase(const std::string& name, const char* suffix) {
  const std::string s(suffix);
  if (name.size() < s.size()) return false;
  for (size_t i = 0; i < s.size(); ++i) {
    char c = name[name.size() - s.size() + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != s[i]) return false;
  }
  return true;
}

}  // namespace

int writeBmpFile(Window& window, const std::string& fileName, const Image& image) {
  const std::string caption = "About Bitmap";
  BmpParts parts;
  try {
    if (!encodeBmp(image, 32, parts)) {
      window.messageBox("GetDIBits ERROR!", caption, kMbOk);
      return 0;
    }
  } catch (const std::bad_alloc&) {
    window.messageBox("GlobalAlloc ERROR!", caption, kMbOk);
    return 0;
  } catch (const std::length_error&) {
    window.messageBox("GlobalAlloc ERROR!", caption, kMbOk);
    return 0;
  }
  OutputFile out(fileName);
  if (!out.opened) {
    window.messageBox("CreateFile ERROR!", caption, kMbOk);
    return 0;
  }
  if (!out.write(parts.fileHeader)) {
    window.messageBox("ERROR while writing BITMAPFILEHEADER!", caption, kMbOk);
    return 0;
  }
  if (!out.write(parts.infoHeader)) {
    window.messageBox("ERROR while writing BITMAPINFOHEADER!", caption, kMbOk);
    return 0;
  }
  if (!out.write(parts.pixels)) {
    window.messageBox("ERROR while writing bitmap bits!", caption, kMbOk);
    return 0;
  }
  if (!out.close()) {
    window.messageBox("CloseHandle ERROR!", caption, kMbOk);
    return 0;
  }
  return 1;
}

int writePcxFile(Window& window, const std::string& fileName, const Image& image, Color background) {
  const std::string caption = "About PCX";
  if (image.empty() || image.width > 65535 || image.height > 65535) {
    window.messageBox("Нет памяти для буфера строки!", caption, kMbOk);
    return 0;
  }
  const uint16_t bytesPerLine = pcxBytesPerLine(image.width);
  std::vector<uint8_t> packed;
  std::vector<uint8_t> codes;
  try {
    packed.resize(bytesPerLine);
  } catch (const std::bad_alloc&) {
    window.messageBox("Нет памяти для буфера строки!", caption, kMbOk);
    return 0;
  }
  try {
    codes.reserve(2 * static_cast<size_t>(bytesPerLine));
  } catch (const std::bad_alloc&) {
    window.messageBox("Нет памяти для кодов строки!", caption, kMbOk);
    return 0;
  }
  OutputFile out(fileName);
  if (!out.opened) {
    window.messageBox("CreateFile ERROR!", caption, kMbOk);
    return 0;
  }
  if (!out.write(pcxHeader(image.width, image.height, background))) {
    window.messageBox("ERROR while writing PCXHEADER!", caption, kMbOk);
    return 0;
  }
  for (int32_t y = 0; y < image.height; ++y) {
    const Color* row = image.pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(image.width);
    pcxPackRow(row, image.width, background, bytesPerLine, packed.data());
    codes.clear();
    pcxEncodeLine(packed.data(), packed.size(), codes);
    if (!out.write(codes)) {
      window.messageBox("ERROR while writing PCX codes!", caption, kMbOk);
      return 0;
    }
  }
  if (!out.close()) {
    window.messageBox("CloseHandle ERROR!", caption, kMbOk);
    return 0;
  }
  return 1;
}

int MakeSnapshot(Window& window) {
  // The screen copy is taken before the dialog covers part of the window.
  Image copy;
  try {
    copy = window.clientImage();
  } catch (const std::bad_alloc&) {
    return 0;
  }
  SaveFileRequest request;
  request.title = "Snapshot File Name";
  request.filters = {{"Bitmap Files (*.bmp)", "*.bmp"}, {"PCX Files (*.pcx)", "*.pcx"}};
  request.defaultExtension = "bmp";
  request.overwritePrompt = true;
  request.capacity = 256;
  const std::optional<std::string> name = window.saveFileName(request);
  if (!name) return 1;
  const bool longEnough = name->size() > 4;
  if (longEnough && endsWithNoCase(*name, ".pcx")) {
    // The PCX file is made from what the window shows now, the dialog gone.
    if (writePcxFile(window, *name, window.clientImage(), kWhite) == 0)
      window.messageBox("PCX file is not created", "About Bitmap", kMbOk);
  } else if (longEnough && endsWithNoCase(*name, ".bmp")) {
    if (writeBmpFile(window, *name, copy) == 0)
      window.messageBox("Bitmap file is not created", "About Bitmap", kMbOk);
  } else {
    window.messageBox("Only .bmp and .pcx files can be written: \"" + *name + "\" is not saved.",
                      "About Bitmap", kMbOk | kMbIconWarning);
  }
  return 1;
}
