#include "app/list_view.h"

#include <QHeaderView>
#include <QHoverEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <limits>

namespace quorvane {

ListView::ListView(QWidget* parent)
    : QAbstractItemView(parent),
      header_(new QHeaderView(Qt::Horizontal, this)),
      row_height_(fontMetrics().height() + 4) {
  header_->setObjectName(QStringLiteral("qt_list_header"));
  header_->setSectionsClickable(false);
  header_->setStretchLastSection(false);
  header_->setSectionsMovable(false);
  header_->setHighlightSections(false);
  header_->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  connect(header_, &QHeaderView::sectionResized, this, &ListView::relayout);
  viewport()->setAttribute(Qt::WA_Hover);
  setVerticalScrollMode(ScrollPerItem);
  setHorizontalScrollMode(ScrollPerPixel);
  install_list_view_accessibility();
}

void ListView::setModel(QAbstractItemModel* model) {
  if (model == this->model()) return;
  if (this->model()) disconnect(this->model(), nullptr, this, nullptr);
  QAbstractItemView::setModel(model);
  header_->setModel(model);
  if (model) {
    // Rows removed: the scroll range shrinks (insertions and resets are virtual calls).
    connect(model, &QAbstractItemModel::rowsRemoved, this, &ListView::relayout);
  }
  updateGeometries();
}

int ListView::columnWidth(int column) const {
  return header_->sectionSize(column);
}

void ListView::setColumnWidth(int column, int width) {
  header_->resizeSection(column, width);
}

void ListView::relayout() {
  updateGeometries();
  viewport()->update();
}

int ListView::rows() const {
  return model() ? model()->rowCount(rootIndex()) : 0;
}

int ListView::firstRow() const {
  return verticalScrollBar()->value();
}

int ListView::wholeRowsShown() const {
  return std::max(1, viewport()->height() / row_height_);
}

int ListView::rowAt(int y) const {
  if (y < 0) return -1;
  const long long row = firstRow() + static_cast<long long>(y / row_height_);
  return row < rows() ? static_cast<int>(row) : -1;
}

QRect ListView::visualRect(const QModelIndex& index) const {
  if (!index.isValid() || index.parent() != rootIndex() || index.column() != 0) return {};
  // Far rows lie far outside the viewport; their place is clamped to what an int holds.
  const long long top = static_cast<long long>(index.row() - firstRow()) * row_height_;
  const long long limit = std::numeric_limits<int>::max() / 2;
  return QRect(-horizontalOffset(), static_cast<int>(std::clamp(top, -limit, limit)),
               columnWidth(0), row_height_);
}

void ListView::scrollTo(const QModelIndex& index, ScrollHint hint) {
  if (!index.isValid() || index.row() >= rows()) return;
  const int row = index.row(), shown = wholeRowsShown(), first = firstRow();
  int top = first;
  switch (hint) {
    case PositionAtTop:
      top = row;
      break;
    case PositionAtBottom:
      top = row - shown + 1;
      break;
    case PositionAtCenter:
      top = row - shown / 2;
      break;
    case EnsureVisible:
      if (row < first)
        top = row;
      else if (row >= first + shown)
        top = row - shown + 1;
      break;
  }
  verticalScrollBar()->setValue(top);
}

QModelIndex ListView::indexAt(const QPoint& point) const {
  const int row = rowAt(point.y());
  const int x = point.x() + horizontalOffset();
  if (row < 0 || x < 0 || x >= columnWidth(0)) return {};
  return model()->index(row, 0, rootIndex());
}

QModelIndex ListView::moveCursor(CursorAction action, Qt::KeyboardModifiers) {
  const int n = rows();
  if (n == 0) return {};
  const QModelIndex current = currentIndex();
  const int row = current.isValid() ? current.row() : -1;
  int to = row;
  switch (action) {
    case MoveUp:
    case MovePrevious:
      to = row < 0 ? 0 : row - 1;
      break;
    case MoveDown:
    case MoveNext:
      to = row + 1;
      break;
    case MovePageUp:
      to = row - wholeRowsShown();
      break;
    case MovePageDown:
      to = row < 0 ? wholeRowsShown() - 1 : row + wholeRowsShown();
      break;
    case MoveHome:
      to = 0;
      break;
    case MoveEnd:
      to = n - 1;
      break;
    case MoveLeft:
    case MoveRight:
      return current;
  }
  return model()->index(std::clamp(to, 0, n - 1), 0, rootIndex());
}

int ListView::horizontalOffset() const {
  return horizontalScrollBar()->value();
}

int ListView::verticalOffset() const {
  return firstRow() * row_height_;
}

void ListView::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags flags) {
  const int n = rows();
  if (n == 0 || !selectionModel()) return;
  const QRect r = rect.normalized();
  if (r.top() >= static_cast<long long>(n - firstRow()) * row_height_) return;  // below the rows
  const int first = rowAt(std::max(0, r.top()));
  const int bottom = rowAt(std::max(0, r.bottom()));
  const int last = bottom < 0 ? n - 1 : bottom;
  selectionModel()->select(
      QItemSelection(model()->index(first, 0, rootIndex()), model()->index(last, 0, rootIndex())),
      flags);
}

QRegion ListView::visualRegionForSelection(const QItemSelection& selection) const {
  QRegion region;
  const int first = firstRow(), last = first + wholeRowsShown();
  for (const QItemSelectionRange& range : selection) {
    const int top = std::max(range.top(), first), bottom = std::min(range.bottom(), last);
    if (top > bottom) continue;
    const QRect a = visualRect(model()->index(top, 0, rootIndex()));
    region += QRect(a.left(), a.top(), a.width(), (bottom - top + 1) * row_height_);
  }
  return region;
}

void ListView::paintEvent(QPaintEvent* event) {
  const int n = rows();
  if (n == 0) return;
  QPainter painter(viewport());
  QStyleOptionViewItem base;
  initViewItemOption(&base);
  base.state &= ~QStyle::State_HasFocus;
  const QModelIndex current = currentIndex();
  const bool focused = hasFocus() || viewport()->hasFocus();
  // Only the rows the area crosses: none when it lies below the last row.
  const QRect area = event->rect();
  const int first = rowAt(std::max(0, area.top()));
  if (first < 0) return;
  const long long last =
      std::min<long long>(n - 1, firstRow() + static_cast<long long>(area.bottom() / row_height_));
  for (int row = first; row <= last; ++row) {
    const QModelIndex index = model()->index(row, 0, rootIndex());
    QStyleOptionViewItem option = base;
    option.rect = visualRect(index);
    if (selectionModel() && selectionModel()->isSelected(index))
      option.state |= QStyle::State_Selected;
    if (focused && index == current) option.state |= QStyle::State_HasFocus;
    if (index == hovered_) option.state |= QStyle::State_MouseOver;
    if (!(model()->flags(index) & Qt::ItemIsEnabled)) {
      option.state &= ~QStyle::State_Enabled;
      option.palette.setCurrentColorGroup(QPalette::Disabled);
    }
    itemDelegateForIndex(index)->paint(&painter, option, index);
  }
}

void ListView::updateGeometries() {
  const int header_height = header_->isHidden() ? 0 : header_->sizeHint().height();
  setViewportMargins(0, header_height, 0, 0);
  const QRect vg = viewport()->geometry();
  header_->setGeometry(vg.left(), vg.top() - header_height, vg.width(), header_height);
  header_->setOffset(horizontalOffset());
  const int shown = wholeRowsShown();
  verticalScrollBar()->setRange(0, std::max(0, rows() - shown));
  verticalScrollBar()->setPageStep(shown);
  verticalScrollBar()->setSingleStep(1);
  horizontalScrollBar()->setRange(0, std::max(0, columnWidth(0) - viewport()->width()));
  horizontalScrollBar()->setPageStep(viewport()->width());
  horizontalScrollBar()->setSingleStep(std::max(1, row_height_));
  QAbstractItemView::updateGeometries();
}

void ListView::scrollContentsBy(int dx, int) {
  if (dx) header_->setOffset(horizontalOffset());
  viewport()->update();
}

void ListView::rowsInserted(const QModelIndex& parent, int first, int last) {
  QAbstractItemView::rowsInserted(parent, first, last);
  relayout();
}

bool ListView::viewportEvent(QEvent* event) {
  switch (event->type()) {
    case QEvent::HoverEnter:
    case QEvent::HoverMove:
    case QEvent::HoverLeave: {
      const QModelIndex under =
          event->type() == QEvent::HoverLeave
              ? QModelIndex()
              : indexAt(static_cast<QHoverEvent*>(event)->position().toPoint());
      if (under != hovered_) {
        if (hovered_.isValid()) viewport()->update(visualRect(hovered_));
        hovered_ = under;
        if (hovered_.isValid()) viewport()->update(visualRect(hovered_));
      }
      break;
    }
    default:
      break;
  }
  return QAbstractItemView::viewportEvent(event);
}

void ListView::reset() {
  QAbstractItemView::reset();
  relayout();
}

}  // namespace quorvane
