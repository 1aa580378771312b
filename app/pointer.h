#pragma once
// The window's mouse pointer as one window-wide shape: the arrow, the hourglass (the
// busy sign that some commands honour), or the hand over the push buttons.
#include <QCursor>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <optional>

namespace quorvane {

enum class PointerShape : std::uint8_t { Arrow, Hourglass, Hand };

class WindowPointer {
 public:
  explicit WindowPointer(QWidget* window) : window_(window) {}
  PointerShape shape() const { return shape_; }
  bool busy() const { return shape_ == PointerShape::Hourglass; }
  void set(PointerShape shape);
  // Loads the hand image from a cursor file with Qt's image readers; false when the
  // file holds no readable image. Throws RuntimeError when the file is no regular file
  // or cannot be opened.
  bool loadHand(const QString& path);
  bool hasHandImage() const { return hand_.has_value(); }
  std::optional<QCursor> handCursor() const { return hand_; }

 private:
  QPointer<QWidget> window_;
  PointerShape shape_ = PointerShape::Arrow;
  std::optional<QCursor> hand_;
};

// Hand over push buttons, arrow over the window's surfaces, and neither while the
// hourglass shows. Controls without feedback keep the current pointer.
class PointerFeedback : public QObject {
 public:
  explicit PointerFeedback(WindowPointer& pointer, QObject* parent = nullptr)
      : QObject(parent), pointer_(pointer) {}
  void addButton(QWidget* button);
  void addSurface(QWidget* surface);
  // A control with no pointer handler: moves over it do not reach its container.
  static void addSilent(QWidget* control);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  WindowPointer& pointer_;
};

}  // namespace quorvane
