#pragma once
// Moves the pointer onto a widget through the window system, as a user's move arrives:
// Qt dispatches the enter and leave events and the move over the widget tree. The
// widget's window must be showing.
#include <QAbstractScrollArea>
#include <QTest>
#include <QWidget>

namespace quorvane::test {

// A point of `w` that none of its controls cover (a list's own surface is its viewport).
inline QPoint open_point(QWidget* w) {
  if (qobject_cast<QAbstractScrollArea*>(w)) return w->rect().center();
  for (int y = w->height() - 3; y > 0; y -= 3)
    for (int x = w->width() - 3; x > 0; x -= 3)
      if (!w->childAt(x, y)) return {x, y};
  return w->rect().center();
}

inline void move_over(QWidget* w) {
  QTest::mouseMove(w, open_point(w));
}

}  // namespace quorvane::test
