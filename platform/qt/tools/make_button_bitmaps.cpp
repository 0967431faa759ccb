// Draws the five 144 x 32 button images and writes them as 16-colour .bmp files into the folder
// given as the only argument. Run once by hand; the files are kept in the source tree.
#include <QtCore/QSaveFile>
#include <QtGui/QFont>
#include <QtGui/QGuiApplication>
#include <QtGui/QImage>
#include <QtGui/QPainter>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const QRgb kPalette[16] = {qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
                           qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
                           qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
                           qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};

int nearest(QRgb c) {
  int best = 0;
  long bestD = -1;
  for (int i = 0; i < 16; ++i) {
    long dr = qRed(c) - qRed(kPalette[i]), dg = qGreen(c) - qGreen(kPalette[i]),
         db = qBlue(c) - qBlue(kPalette[i]);
    long d = dr * dr + dg * dg + db * db;
    if (bestD < 0 || d < bestD) best = i, bestD = d;
  }
  return best;
}

void put16(std::vector<uint8_t>& v, uint32_t x) { v.push_back(x & 0xFF), v.push_back((x >> 8) & 0xFF); }
void put32(std::vector<uint8_t>& v, uint32_t x) { put16(v, x & 0xFFFF), put16(v, x >> 16); }

bool writeBmp4(const QImage& image, const std::string& path) {
  const int w = image.width(), h = image.height();
  const uint32_t stride = ((static_cast<uint32_t>(w) * 4 + 31) / 32) * 4;
  const uint32_t pixels = stride * static_cast<uint32_t>(h);
  std::vector<uint8_t> f;
  f.push_back('B'), f.push_back('M');
  put32(f, 14 + 40 + 64 + pixels), put32(f, 0), put32(f, 14 + 40 + 64);
  put32(f, 40), put32(f, static_cast<uint32_t>(w)), put32(f, static_cast<uint32_t>(h));
  put16(f, 1), put16(f, 4), put32(f, 0), put32(f, pixels), put32(f, 0), put32(f, 0), put32(f, 16),
      put32(f, 0);
  for (QRgb c : kPalette)
    f.push_back(static_cast<uint8_t>(qBlue(c))), f.push_back(static_cast<uint8_t>(qGreen(c))),
        f.push_back(static_cast<uint8_t>(qRed(c))), f.push_back(0);
  for (int y = h - 1; y >= 0; --y) {
    std::vector<uint8_t> line(stride, 0);
    for (int x = 0; x < w; ++x) {
      const int index = nearest(image.pixel(x, y));
      line[static_cast<size_t>(x / 2)] |= static_cast<uint8_t>(x % 2 ? index : index << 4);
    }
    f.insert(f.end(), line.begin(), line.end());
  }
  // A bitmap is replaced only by a complete new one.
  QSaveFile out(QString::fromStdString(path));
  return out.open(QIODevice::WriteOnly) &&
         out.write(reinterpret_cast<const char*>(f.data()), static_cast<qint64>(f.size())) ==
             static_cast<qint64>(f.size()) &&
         out.commit();
}

QImage drawButton(const QString& caption) {
  QImage image(144, 32, QImage::Format_RGB32);
  image.fill(qRgb(192, 192, 192));
  QPainter p(&image);
  p.setPen(QColor(128, 128, 128));
  p.drawRect(0, 0, 143, 31);
  QFont font("DejaVu Serif");
  font.setStyleHint(QFont::Serif, QFont::NoAntialias);
  font.setPixelSize(17);
  font.setBold(true);
  p.setFont(font);
  p.setPen(Qt::black);
  p.drawText(QRect(0, 0, 144, 32), Qt::AlignCenter, caption);
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make-button-bitmaps <folder>\n");
    return 2;
  }
  QGuiApplication app(argc, argv);
  const struct {
    const char* file;
    const char* caption;
  } buttons[] = {{"next.bmp", "Next"},
                 {"exit.bmp", "Exit"},
                 {"restart.bmp", "Restart"},
                 {"unselect_all.bmp", "Unselect All"},
                 {"select_all.bmp", "Select All"}};
  for (const auto& b : buttons) {
    if (!writeBmp4(drawButton(b.caption), std::string(argv[1]) + "/" + b.file)) {
      std::fprintf(stderr, "cannot write %s\n", b.file);
      return 1;
    }
  }
  return 0;
}
