#include "app/pointer.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>
#include <QGroupBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include "tests/support/pointer_events.h"

namespace quorvane {
namespace {

using test::move_over;

class PointerFeedbackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window.resize(300, 200);
    button = new QPushButton("Go", &window);
    button->setGeometry(10, 10, 80, 30);
    frame = new QGroupBox("Frame", &window);
    frame->setGeometry(10, 60, 200, 100);
    option = new QRadioButton("Option", frame);
    option->setGeometry(10, 30, 100, 20);
    feedback.addButton(button);
    feedback.addSurface(&window);
    feedback.addSurface(frame);
    PointerFeedback::addSilent(option);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  }
  QWidget window;
  WindowPointer pointer{&window};
  PointerFeedback feedback{pointer};
  QPushButton* button = nullptr;
  QGroupBox* frame = nullptr;
  QRadioButton* option = nullptr;
};

TEST_F(PointerFeedbackTest, HandOverButtonsArrowElsewhere) {
  move_over(button);
  EXPECT_EQ(pointer.shape(), PointerShape::Hand);
  EXPECT_EQ(window.cursor().shape(), Qt::PointingHandCursor);  // no hand image loaded
  move_over(frame);
  EXPECT_EQ(pointer.shape(), PointerShape::Arrow);
  move_over(button);
  move_over(option);  // no handler: the pointer stays
  EXPECT_EQ(pointer.shape(), PointerShape::Hand);
  move_over(&window);
  EXPECT_EQ(pointer.shape(), PointerShape::Arrow);
}

TEST_F(PointerFeedbackTest, HourglassIsNeverReplaced) {
  pointer.set(PointerShape::Hourglass);
  for (QWidget* w : {static_cast<QWidget*>(button), static_cast<QWidget*>(frame), &window}) {
    move_over(w);
    EXPECT_EQ(pointer.shape(), PointerShape::Hourglass);
  }
  EXPECT_EQ(window.cursor().shape(), Qt::WaitCursor);
  pointer.set(PointerShape::Arrow);
  move_over(button);
  EXPECT_EQ(pointer.shape(), PointerShape::Hand);
}

TEST(WindowPointerImage, ShippedHandCursorKeepsItsHotSpot) {
  QWidget window;
  WindowPointer pointer(&window);
  ASSERT_TRUE(pointer.loadHand(QStringLiteral(QUORVANE_BIN_DIR "/HAND-M.CUR")));
  EXPECT_EQ(pointer.handCursor()->hotSpot(), QPoint(5, 0));
  const QImage image = pointer.handCursor()->pixmap().toImage();
  EXPECT_EQ(image.size(), QSize(32, 32));
  EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);                  // clear around the hand
  EXPECT_EQ(image.pixel(6, 1), qRgba(255, 255, 255, 255));  // the fingertip's fill
}

TEST(WindowPointerImage, LoadsACursorImageAndRefusesOtherFiles) {
  QTemporaryDir dir;
  const QString png = dir.filePath("hand.png");
  QImage image(32, 32, QImage::Format_ARGB32);
  image.fill(Qt::black);
  ASSERT_TRUE(image.save(png, "PNG"));
  QWidget window;
  WindowPointer pointer(&window);
  EXPECT_TRUE(pointer.loadHand(png));
  pointer.set(PointerShape::Hand);
  EXPECT_EQ(window.cursor().shape(), Qt::BitmapCursor);

  QFile bad(dir.filePath("HAND-M.CUR"));
  ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
  bad.write("not a cursor at all");
  bad.close();
  WindowPointer other(&window);
  EXPECT_FALSE(other.loadHand(bad.fileName()));
}

}  // namespace
}  // namespace quorvane
