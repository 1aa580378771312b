#include "app/pointer.h"

#include <unistd.h>

#include <QAbstractScrollArea>
#include <QEvent>
#include <QFile>
#include <QImageReader>
#include <QMouseEvent>
#include <QPixmap>

#include "engine/regular_file.h"

namespace quorvane {

void WindowPointer::set(PointerShape shape) {
  shape_ = shape;
  if (!window_) return;
  switch (shape) {
    case PointerShape::Hourglass:
      window_->setCursor(Qt::WaitCursor);
      break;
    case PointerShape::Hand:
      window_->setCursor(hand_ ? *hand_ : QCursor(Qt::PointingHandCursor));
      break;
    case PointerShape::Arrow:
      window_->unsetCursor();
  }
}

namespace {

// A cursor file names its hot spot in its first directory entry; Qt's reader does not
// pass it on.
std::optional<QPoint> cursor_hot_spot(QIODevice& file) {
  if (!file.seek(0)) return std::nullopt;
  const QByteArray head = file.read(14);
  if (head.size() < 14 || head[0] != 0 || head[1] != 0 || head[2] != 2 || head[3] != 0)
    return std::nullopt;
  auto u16 = [&](int at) {
    return static_cast<unsigned char>(head[at]) | (static_cast<unsigned char>(head[at + 1]) << 8);
  };
  return QPoint(u16(10), u16(12));
}

}  // namespace

bool WindowPointer::loadHand(const QString& path) {
  QFile file;
  const int fd = open_regular_file(QFile::encodeName(path).toStdString(),
                                   "Cannot read the hand pointer " + path.toStdString());
  if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    ::close(fd);
    return false;
  }
  // Read as a cursor first, so that only the reader of cursors is loaded; a picture of
  // another kind is then recognised by its contents.
  QImage image = QImageReader(&file, "cur").read();
  if (image.isNull() && file.seek(0)) image = QImageReader(&file).read();
  if (image.isNull()) return false;
  // Without a hot spot of its own, a hand's fingertip sits near the top left.
  const QPoint hot = cursor_hot_spot(file).value_or(QPoint(image.width() / 4, 0));
  hand_ = QCursor(QPixmap::fromImage(image), hot.x(), hot.y());
  return true;
}

namespace {
constexpr char kRole[] = "quorvanePointerRole";
}

void PointerFeedback::addButton(QWidget* button) {
  button->setProperty(kRole, static_cast<int>(PointerShape::Hand));
  button->setMouseTracking(true);
  button->installEventFilter(this);
}

void PointerFeedback::addSurface(QWidget* surface) {
  surface->setProperty(kRole, static_cast<int>(PointerShape::Arrow));
  surface->setMouseTracking(true);
  surface->installEventFilter(this);
  if (auto* area = qobject_cast<QAbstractScrollArea*>(surface)) {
    area->viewport()->setProperty(kRole, static_cast<int>(PointerShape::Arrow));
    area->viewport()->setMouseTracking(true);
    area->viewport()->installEventFilter(this);
  }
}

void PointerFeedback::addSilent(QWidget* control) {
  control->setAttribute(Qt::WA_NoMousePropagation);
}

bool PointerFeedback::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type t = event->type();
  if (t != QEvent::MouseMove && t != QEvent::Enter && t != QEvent::HoverMove) return false;
  const QVariant role = watched->property(kRole);
  if (!role.isValid()) return false;
  // A container hears of the pointer over its controls too: it enters a frame on the
  // way to an option button inside it, and moves travel up from controls that ignore
  // them. Those belong to the control, which sets its own pointer or keeps the current one.
  const auto* surface = qobject_cast<QWidget*>(watched);
  const QPoint at = static_cast<QSinglePointEvent*>(event)->position().toPoint();
  if (surface && surface->childAt(at)) return false;
  const auto shape = static_cast<PointerShape>(role.toInt());
  if (!pointer_.busy()) pointer_.set(shape);
  // A move over a button must not travel on to the window, which would set the arrow.
  return shape == PointerShape::Hand && t == QEvent::MouseMove &&
         static_cast<QMouseEvent*>(event)->buttons() == Qt::NoButton;
}

}  // namespace quorvane
