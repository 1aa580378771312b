#pragma once
// A one-column list view for lists of millions of rows. Every row has the same height
// and the view keeps nothing per row: a row's place is its number times the height, so
// a new list or a million appended rows cost the view nothing but a repaint. It
// scrolls a row at a time, keeps a header for its column's caption, and draws, selects
// and checks its items as the other item views do (the model's item delegate). Screen
// readers see it as a list of its rows (list_view_accessible.cpp).
#include <QAbstractItemView>
#include <QPersistentModelIndex>

class QHeaderView;

namespace quorvane {

// Lets screen readers read every ListView as a list of its rows; called by the view.
void install_list_view_accessibility();

class ListView : public QAbstractItemView {
  Q_OBJECT
 public:
  explicit ListView(QWidget* parent = nullptr);

  void setModel(QAbstractItemModel* model) override;
  QHeaderView* header() const { return header_; }
  int columnWidth(int column) const;
  void setColumnWidth(int column, int width);

  QRect visualRect(const QModelIndex& index) const override;
  void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
  QModelIndex indexAt(const QPoint& point) const override;

 protected:
  QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
  int horizontalOffset() const override;
  int verticalOffset() const override;
  bool isIndexHidden(const QModelIndex&) const override { return false; }
  void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags flags) override;
  QRegion visualRegionForSelection(const QItemSelection& selection) const override;
  void paintEvent(QPaintEvent* event) override;
  void updateGeometries() override;
  void scrollContentsBy(int dx, int dy) override;
  void rowsInserted(const QModelIndex& parent, int first, int last) override;
  void reset() override;
  bool viewportEvent(QEvent* event) override;

 private:
  void relayout();  // the scroll ranges and the header again, and a repaint
  int rows() const;
  int firstRow() const;
  int wholeRowsShown() const;  // at least 1
  int rowAt(int y) const;      // -1 above or below the rows

  QHeaderView* header_;
  const int row_height_;
  QPersistentModelIndex hovered_;  // the row under the pointer, marked for styles that do
};

}  // namespace quorvane
