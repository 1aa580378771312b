#include "app/list_view.h"

#include <gtest/gtest.h>

#include <QAbstractListModel>
#include <QAccessible>
#include <QApplication>
#include <QHeaderView>
#include <QHoverEvent>
#include <QScrollBar>
#include <QStringListModel>
#include <QStyledItemDelegate>
#include <QTest>
#include <limits>
#include <map>

namespace quorvane {
namespace {

// As many rows as a model can have, each its own number: the view must keep nothing
// per row to show it at all.
class CountingModel : public QAbstractListModel {
 public:
  int rowCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : std::numeric_limits<int>::max();
  }
  QVariant data(const QModelIndex& index, int role) const override {
    return role == Qt::DisplayRole ? QVariant(QString::number(index.row())) : QVariant();
  }
};

struct Shown {
  ListView view;
  explicit Shown(QAbstractItemModel* model) {
    view.setModel(model);
    view.resize(300, 200);
    view.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&view));
  }
};

TEST(ListView, TheLastOfTwoBillionRowsIsReachedAndDrawn) {
  CountingModel model;
  Shown s(&model);
  ListView& v = s.view;
  QTest::keyClick(&v, Qt::Key_End);
  const QModelIndex last = model.index(model.rowCount() - 1, 0);
  EXPECT_EQ(v.currentIndex(), last);
  const QRect at = v.visualRect(last);
  EXPECT_TRUE(v.viewport()->rect().contains(at)) << at.y();
  EXPECT_EQ(v.indexAt(at.center()), last);
  EXPECT_LT(v.visualRect(model.index(0, 0)).bottom(), 0);  // far above, and no overflow
  v.viewport()->repaint();
  QTest::keyClick(&v, Qt::Key_Home);
  EXPECT_EQ(v.currentIndex(), model.index(0, 0));
  EXPECT_EQ(v.verticalScrollBar()->value(), 0);
  QTest::keyClick(&v, Qt::Key_PageDown);
  EXPECT_GT(v.currentIndex().row(), 0);
  EXPECT_TRUE(v.viewport()->rect().contains(v.visualRect(v.currentIndex())));
}

TEST(ListView, ClicksSelectTheRowUnderThePointerAndNothingBelowTheRows) {
  QStringListModel model({"a", "b", "c"});
  Shown s(&model);
  ListView& v = s.view;
  v.setSelectionBehavior(QAbstractItemView::SelectRows);
  const QPoint second = v.visualRect(model.index(1, 0)).center();
  QTest::mouseClick(v.viewport(), Qt::LeftButton, {}, second);
  EXPECT_EQ(v.selectionModel()->selectedRows(), QModelIndexList{model.index(1, 0)});
  QTest::mouseClick(v.viewport(), Qt::LeftButton, {}, QPoint(5, v.viewport()->height() - 2));
  EXPECT_TRUE(v.selectionModel()->selectedRows().isEmpty());
  EXPECT_EQ(v.header()->model(), &model);  // the caption comes from the model
  v.setColumnWidth(0, 40);
  EXPECT_EQ(v.columnWidth(0), 40);
  EXPECT_FALSE(v.indexAt(QPoint(60, second.y())).isValid());  // right of the column
}

// Styles that mark the row under the pointer are told which it is; what lies below the
// rows draws none of them.
TEST(ListView, TheRowUnderThePointerIsDrawnAsSo) {
  struct Recording : QStyledItemDelegate {
    mutable std::map<int, bool> over;
    void paint(QPainter* p, const QStyleOptionViewItem& o, const QModelIndex& i) const override {
      over[i.row()] = (o.state & QStyle::State_MouseOver) != 0;
      QStyledItemDelegate::paint(p, o, i);
    }
  } delegate;
  QStringListModel model({"a", "b", "c"});
  Shown s(&model);
  ListView& v = s.view;
  v.setItemDelegate(&delegate);
  const QPointF at = v.visualRect(model.index(1, 0)).center();
  QHoverEvent move(QEvent::HoverMove, at, v.viewport()->mapToGlobal(at), QPointF(-1, -1));
  QApplication::sendEvent(v.viewport(), &move);
  v.viewport()->repaint();
  EXPECT_EQ(delegate.over, (std::map<int, bool>{{0, false}, {1, true}, {2, false}}));
  QHoverEvent leave(QEvent::HoverLeave, QPointF(-1, -1), QPointF(-1, -1), at);
  QApplication::sendEvent(v.viewport(), &leave);
  v.viewport()->repaint();
  EXPECT_FALSE(delegate.over[1]);
  delegate.over.clear();
  v.viewport()->repaint(QRect(0, v.viewport()->height() - 5, 50, 5));  // below the rows
  EXPECT_TRUE(delegate.over.empty());
  v.setItemDelegate(nullptr);
}

// A screen reader reads the rows: their texts, places and states, each row's interface
// following its row when rows before it go.
TEST(ListView, ScreenReadersSeeAListOfItsRows) {
  QAccessible::setActive(true);
  QStringListModel model({"60628", "03053", "92018"});
  Shown s(&model);
  ListView& v = s.view;
  QAccessibleInterface* list = QAccessible::queryAccessibleInterface(&v);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->role(), QAccessible::List);
  ASSERT_EQ(list->childCount(), 3);
  QAccessibleInterface* third = list->child(2);
  ASSERT_NE(third, nullptr);
  EXPECT_EQ(third->role(), QAccessible::ListItem);
  EXPECT_EQ(third->text(QAccessible::Name), "92018");
  EXPECT_EQ(list->indexOfChild(third), 2);
  EXPECT_EQ(third->parent(), list);
  EXPECT_EQ(list->child(2), third);  // made once
  EXPECT_EQ(list->childAt(third->rect().center().x(), third->rect().center().y()), third);
  v.setFocus();
  v.setCurrentIndex(model.index(2, 0));
  EXPECT_TRUE(third->state().selected);
  model.removeRows(0, 1);
  EXPECT_EQ(list->childCount(), 2);
  EXPECT_EQ(list->indexOfChild(third), 1);
  EXPECT_EQ(third->text(QAccessible::Name), "92018");
  model.removeRows(1, 1);
  EXPECT_FALSE(third->isValid());
  EXPECT_EQ(list->indexOfChild(third), -1);
  QAccessible::setActive(false);
}

}  // namespace
}  // namespace quorvane
