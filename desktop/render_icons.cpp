// Renders the application icon's SVG as the PNG sizes of the hicolor theme, for desktops
// and menus that do not scale SVG icons themselves.
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: render_icons SVG OUTPUT_FOLDER ICON_NAME\n");
    return 2;
  }
  QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
  if (!renderer.isValid()) {
    std::fprintf(stderr, "render_icons: %s is not a readable SVG file\n", argv[1]);
    return 1;
  }
  const QString name = QString::fromLocal8Bit(argv[3]) + QStringLiteral(".png");
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    const QString folder =
        QStringLiteral("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[2])).arg(size);
    if (!QDir().mkpath(folder) || !image.save(folder + QLatin1Char('/') + name, "PNG")) {
      std::fprintf(stderr, "render_icons: cannot write %s\n", qPrintable(folder + '/' + name));
      return 1;
    }
  }
  return 0;
}
