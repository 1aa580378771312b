#include "app/app_icon.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

// The resources of a static library are registered by hand.
static void init_resources() {
  Q_INIT_RESOURCE(app);
}

namespace quorvane {

QIcon app_icon() {
  init_resources();
  QSvgRenderer renderer(QStringLiteral(":/quorvane.svg"));
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace quorvane
