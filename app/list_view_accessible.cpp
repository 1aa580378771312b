// What a screen reader sees of a ListView: a list whose children are its rows, each with
// its text, place and state (selected, focused, checked). Row interfaces are made when
// asked for and follow their row through insertions and removals; one whose row went
// is no longer valid.
#include <QAccessibleWidget>
#include <QHash>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QScrollBar>
#include <QWidget>
#include <QWindow>

#include "app/list_view.h"

namespace quorvane {
namespace {

class ListItemAccessible : public QAccessibleInterface {
 public:
  ListItemAccessible(ListView* view, const QModelIndex& index) : view_(view), index_(index) {}

  bool isValid() const override { return view_ && index_.isValid(); }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return view_ ? view_->window()->windowHandle() : nullptr; }
  QAccessibleInterface* parent() const override {
    return QAccessible::queryAccessibleInterface(view_.data());
  }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  QAccessible::Role role() const override { return QAccessible::ListItem; }
  void setText(QAccessible::Text, const QString&) override {}

  QString text(QAccessible::Text t) const override {
    if (!isValid() || t != QAccessible::Name) return {};
    return index_.data(Qt::DisplayRole).toString();
  }

  QRect rect() const override {
    if (!isValid()) return {};
    const QRect r = view_->visualRect(index_);
    return QRect(view_->viewport()->mapToGlobal(r.topLeft()), r.size());
  }

  QAccessible::State state() const override {
    QAccessible::State s;
    if (!isValid()) return s;
    s.selectable = s.focusable = true;
    s.selected = view_->selectionModel() && view_->selectionModel()->isSelected(index_);
    s.focused = view_->hasFocus() && view_->currentIndex() == index_;
    const QRect r = view_->visualRect(index_);
    s.invisible = s.offscreen = !view_->viewport()->rect().intersects(r);
    if (index_.flags() & Qt::ItemIsUserCheckable) {
      s.checkable = true;
      s.checked = index_.data(Qt::CheckStateRole).toInt() == Qt::Checked;
    }
    return s;
  }

  int row() const { return index_.row(); }
  const ListView* view() const { return view_.data(); }

 private:
  QPointer<ListView> view_;
  QPersistentModelIndex index_;
};

class ListViewAccessible : public QAccessibleWidget {
 public:
  explicit ListViewAccessible(ListView* view) : QAccessibleWidget(view, QAccessible::List) {}
  ~ListViewAccessible() override {
    for (QAccessible::Id id : std::as_const(items_)) QAccessible::deleteAccessibleInterface(id);
  }

  int childCount() const override {
    const ListView* v = view();
    return v->model() ? v->model()->rowCount(v->rootIndex()) : 0;
  }

  QAccessibleInterface* child(int row) const override {
    ListView* v = view();
    if (!v->model() || row < 0 || row >= childCount()) return nullptr;
    const QPersistentModelIndex index(v->model()->index(row, 0, v->rootIndex()));
    if (const auto at = items_.constFind(index); at != items_.constEnd())
      if (QAccessibleInterface* known = QAccessible::accessibleInterface(*at)) return known;
    auto* item = new ListItemAccessible(v, index);
    items_.insert(index, QAccessible::registerAccessibleInterface(item));
    return item;
  }

  int indexOfChild(const QAccessibleInterface* child) const override {
    if (!child || child->role() != QAccessible::ListItem) return -1;
    const auto* item = static_cast<const ListItemAccessible*>(child);
    return item->isValid() && item->view() == view() ? item->row() : -1;
  }

  QAccessibleInterface* childAt(int x, int y) const override {
    ListView* v = view();
    const QModelIndex index = v->indexAt(v->viewport()->mapFromGlobal(QPoint(x, y)));
    return index.isValid() ? child(index.row()) : nullptr;
  }

  QAccessibleInterface* focusChild() const override {
    const QModelIndex current = view()->currentIndex();
    return view()->hasFocus() && current.isValid() ? child(current.row()) : nullptr;
  }

 private:
  ListView* view() const { return static_cast<ListView*>(widget()); }

  // Each row asked for, by its item: an item removed keeps no row.
  mutable QHash<QPersistentModelIndex, QAccessible::Id> items_;
};

QAccessibleInterface* make_interface(const QString& class_name, QObject* object) {
  if (class_name != QLatin1String(ListView::staticMetaObject.className())) return nullptr;
  auto* view = qobject_cast<ListView*>(object);
  return view ? new ListViewAccessible(view) : nullptr;
}

}  // namespace

void install_list_view_accessibility() {
  static const bool installed = [] {
    QAccessible::installFactory(make_interface);
    return true;
  }();
  (void)installed;
}

}  // namespace quorvane
