#include "app/app_icon.h"

#include <QIconEngine>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>
#include <map>
#include <memory>

// The resources of a static library are registered by hand.
static void init_resources() {
  Q_INIT_RESOURCE(app);
}

namespace quorvane {

namespace {

constexpr int kSizes[] = {16, 24, 32, 48, 64, 128, 256};

// Draws the icon when a size of it is first asked for, and keeps each size drawn: a
// system that shows no window icons never pays for drawing seven of them at start-up.
class DrawnIcon : public QIconEngine {
 public:
  void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override {
    renderer().render(painter, rect);
  }

  QPixmap pixmap(const QSize& size, QIcon::Mode, QIcon::State) override {
    const int side = std::min(size.width(), size.height());
    if (side <= 0) return {};
    QPixmap& drawn = drawn_[side];
    if (drawn.isNull()) {
      drawn = QPixmap(side, side);
      drawn.fill(Qt::transparent);
      QPainter painter(&drawn);
      renderer().render(&painter);
    }
    return drawn;
  }

  QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
    QList<QSize> sizes;
    for (int side : kSizes) sizes.append(QSize(side, side));
    return sizes;
  }

  QIconEngine* clone() const override { return new DrawnIcon; }
  QString key() const override { return QStringLiteral("quorvane-drawn"); }

 private:
  QSvgRenderer& renderer() {
    if (!renderer_) renderer_ = std::make_unique<QSvgRenderer>(QStringLiteral(":/quorvane.svg"));
    return *renderer_;
  }

  std::unique_ptr<QSvgRenderer> renderer_;
  std::map<int, QPixmap> drawn_;
};

}  // namespace

QIcon app_icon() {
  init_resources();
  return QIcon(new DrawnIcon);
}

}  // namespace quorvane
