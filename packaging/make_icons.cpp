// make_icons OUTDIR: the application icon in the hicolor theme's sizes, from the dialog's own
// 32 x 32 image, so that the launcher shows what the window shows.
//   OUTDIR/hicolor/NxN/apps/ID.png for the usual sizes, OUTDIR/hicolor/scalable/apps/ID.svg
#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QString>
#include <cstdio>

#include "res/icon128.xpm"

namespace {

const char kIconName[] = "com.ferrowind.shapewright";

// One square per pixel: the scalable icon stays as sharp as the image it is drawn from.
QByteArray PixelsAsSvg(const QImage& image) {
  QByteArray svg;
  svg += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  svg += QStringLiteral(
             "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%2\" viewBox=\"0 0 "
             "%1 %2\" shape-rendering=\"crispEdges\">\n")
             .arg(image.width())
             .arg(image.height())
             .toUtf8();
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      QColor colour = image.pixelColor(x, y);
      if (colour.alpha() == 0) continue;
      svg += QStringLiteral("<rect x=\"%1\" y=\"%2\" width=\"1\" height=\"1\" fill=\"%3\"/>\n")
                 .arg(x)
                 .arg(y)
                 .arg(colour.name())
                 .toUtf8();
    }
  }
  svg += "</svg>\n";
  return svg;
}

bool WriteIcon(const QString& folder, const QString& file, const QImage& image) {
  if (!QDir().mkpath(folder)) return false;
  return image.save(folder + "/" + file, "PNG");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: make_icons OUTDIR\n", stderr);
    return 2;
  }
  const QString root = QString::fromLocal8Bit(argv[1]) + "/hicolor";
  const QImage image = QImage(icon128_xpm).convertToFormat(QImage::Format_ARGB32);
  if (image.isNull()) {
    std::fputs("make_icons: the icon image cannot be read\n", stderr);
    return 1;
  }
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    // Whole multiples keep the pixel art's hard edges; the other sizes are smoothed.
    const Qt::TransformationMode mode =
        size % image.width() == 0 ? Qt::FastTransformation : Qt::SmoothTransformation;
    const QImage scaled = image.scaled(size, size, Qt::IgnoreAspectRatio, mode);
    const QString folder = QStringLiteral("%1/%2x%2/apps").arg(root).arg(size);
    if (!WriteIcon(folder, QString(kIconName) + ".png", scaled)) {
      std::fprintf(stderr, "make_icons: cannot write %s\n", qPrintable(folder));
      return 1;
    }
  }
  const QString scalable = root + "/scalable/apps";
  QFile svg(scalable + "/" + kIconName + ".svg");
  if (!QDir().mkpath(scalable) || !svg.open(QIODevice::WriteOnly) ||
      svg.write(PixelsAsSvg(image)) < 0) {
    std::fprintf(stderr, "make_icons: cannot write %s\n", qPrintable(svg.fileName()));
    return 1;
  }
  return 0;
}
