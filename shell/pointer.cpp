#include "pointer.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QImageReader>
#include <QMouseEvent>
#include <QPixmap>

namespace quorvane {

void WindowPointer::set(int value) {
  value_ = value;
  if (!window_) return;
  switch (value) {
    case kPointerHourglass:
      window_->setCursor(Qt::WaitCursor);
      break;
    case kPointerHand:
      window_->setCursor(hand_ ? *hand_ : QCursor(Qt::PointingHandCursor));
      break;
    default:
      window_->unsetCursor();
  }
}

bool WindowPointer::loadHand(const QString& path) {
  QImageReader reader(path);
  const QImage image = reader.read();
  if (image.isNull()) return false;
  // A cursor file keeps its hot spot where the reader reports one; the hand's
  // fingertip sits near the top left otherwise.
  const QVariant hx = reader.text(QStringLiteral("HotspotX")),
                 hy = reader.text(QStringLiteral("HotspotY"));
  const int x = hx.isValid() && !hx.toString().isEmpty() ? hx.toInt() : image.width() / 4;
  const int y = hy.isValid() && !hy.toString().isEmpty() ? hy.toInt() : 0;
  hand_ = QCursor(QPixmap::fromImage(image), x, y);
  return true;
}

namespace {
constexpr char kRole[] = "quorvanePointerRole";
}

void PointerFeedback::addButton(QWidget* button) {
  button->setProperty(kRole, kPointerHand);
  button->setMouseTracking(true);
  button->installEventFilter(this);
}

void PointerFeedback::addSurface(QWidget* surface) {
  surface->setProperty(kRole, kPointerArrow);
  surface->setMouseTracking(true);
  surface->installEventFilter(this);
  if (auto* area = qobject_cast<QAbstractScrollArea*>(surface)) {
    area->viewport()->setProperty(kRole, kPointerArrow);
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
  if (!pointer_.busy()) pointer_.set(role.toInt());
  // A move over a button must not travel on to the window, which would set the arrow.
  return role.toInt() == kPointerHand && t == QEvent::MouseMove &&
         static_cast<QMouseEvent*>(event)->buttons() == Qt::NoButton;
}

}  // namespace quorvane
