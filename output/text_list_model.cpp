#include "output/text_list_model.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "engine/error_trap.h"

namespace quorvane {

TextListModel::TextListModel(QString heading, bool checkable, QObject* parent)
    : QAbstractListModel(parent), heading_(heading.toStdString()), checkable_(checkable) {}

int TextListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : announced_;
}

QVariant TextListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= announced_) return {};
  const auto row = static_cast<std::size_t>(index.row());
  if (role == Qt::DisplayRole) {
    // A huge entry (a list file of one 10 MB line) would stall every repaint.
    const std::string_view t = text(row);
    if (t.size() <= kDisplayLimit)
      return QString::fromUtf8(t.data(), static_cast<qsizetype>(t.size()));
    return QString::fromUtf8(t.data(), kDisplayLimit).left(kDisplayLimit - 1) + QChar(0x2026);
  }
  if (role == Qt::CheckStateRole && checkable_) return checks_[row] ? Qt::Checked : Qt::Unchecked;
  return {};
}

bool TextListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!checkable_ || role != Qt::CheckStateRole || !index.isValid() || index.row() >= announced_)
    return false;
  setChecked(static_cast<std::size_t>(index.row()), value.value<Qt::CheckState>() == Qt::Checked);
  return true;
}

Qt::ItemFlags TextListModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (checkable_) f |= Qt::ItemIsUserCheckable;
  return f;
}

QVariant TextListModel::headerData(int section, Qt::Orientation o, int role) const {
  if (section == 0 && o == Qt::Horizontal && role == Qt::DisplayRole)
    return QString::fromStdString(heading_);
  return {};
}

void TextListModel::setChecked(std::size_t row, bool on) {
  if (row >= checks_.size() || (checks_[row] != 0) == on) return;
  checks_[row] = on;
  if (static_cast<int>(row) < announced_) {
    const QModelIndex i = index(static_cast<int>(row));
    emit dataChanged(i, i, {Qt::CheckStateRole});
  }
}

void TextListModel::check_room(std::size_t more) const {
  if (buffer_.size() + more > kMostBytes)
    throw RuntimeError(6, "Overflow: a list holds at most 4 GB of text");
}

void TextListModel::append(std::string_view text, bool checked) {
  check_room(text.size());
  buffer_ += text;
  ends_.push_back(static_cast<std::uint32_t>(buffer_.size()));
  if (checkable_) checks_.push_back(checked);
  ++changes_;
}

void TextListModel::reserve(std::size_t rows, std::size_t bytes) {
  ends_.reserve(rows);
  if (checkable_) checks_.reserve(rows);
  buffer_.reserve(bytes);
  prefer_huge_pages(buffer_.data(), buffer_.capacity());
  prefer_huge_pages(ends_.data(), ends_.capacity() * sizeof(std::uint32_t));
}

template <class End>
void TextListModel::appendTexts(std::string_view texts, std::span<const End> ends, bool checked) {
  check_room(texts.size());
  const std::size_t base = buffer_.size();
  // Nothing is added when room cannot be had.
  ends_.reserve(ends_.size() + ends.size());
  if (checkable_) checks_.reserve(ends_.size() + ends.size());
  buffer_ += texts;
  for (const End end : ends) ends_.push_back(static_cast<std::uint32_t>(base + end));
  if (checkable_) checks_.resize(ends_.size(), checked);
  ++changes_;
}

void TextListModel::appendRows(std::string_view texts, std::span<const std::size_t> ends,
                               bool checked) {
  appendTexts(texts, ends, checked);
}

void TextListModel::appendPieces(std::string_view text, char separator) {
  check_room(text.size());
  append_pieces(text, separator, buffer_, ends_);
  if (checkable_) checks_.resize(ends_.size(), 0);
  ++changes_;
}

void TextListModel::adoptRows(TextRows&& rows) {
  if (!ends_.empty())
    return appendTexts(rows.buffer, std::span<const std::uint32_t>(rows.ends), false);
  check_room(rows.buffer.size());
  buffer_.swap(rows.buffer);
  ends_.swap(rows.ends);
  if (checkable_) checks_.resize(ends_.size(), 0);
  ++changes_;
}

std::vector<std::string> TextListModel::texts() const {
  std::vector<std::string> all;
  all.reserve(size());
  for (std::size_t r = 0; r < size(); ++r) all.emplace_back(text(r));
  return all;
}

void TextListModel::flush() {
  const int total = static_cast<int>(ends_.size());
  if (total <= announced_) return;
  beginInsertRows(QModelIndex(), announced_, total - 1);
  announced_ = total;
  endInsertRows();
}

void TextListModel::flushAsNewList() {
  if (announced_ > 0 || ends_.empty()) return flush();
  beginResetModel();
  announced_ = static_cast<int>(ends_.size());
  endResetModel();
}

void TextListModel::removeAt(std::size_t row) {
  if (row >= ends_.size()) return;
  flush();
  beginRemoveRows(QModelIndex(), static_cast<int>(row), static_cast<int>(row));
  // One move of the texts after it and one pass over their offsets: milliseconds even
  // at a million rows.
  const std::size_t start = row == 0 ? 0 : ends_[row - 1];
  const std::size_t length = ends_[row] - start;
  buffer_.erase(start, length);
  ends_.erase(ends_.begin() + static_cast<std::ptrdiff_t>(row));
  for (std::size_t r = row; r < ends_.size(); ++r) ends_[r] -= static_cast<std::uint32_t>(length);
  if (checkable_) checks_.erase(checks_.begin() + static_cast<std::ptrdiff_t>(row));
  announced_ = static_cast<int>(ends_.size());
  ++changes_;
  endRemoveRows();
}

void TextListModel::clear(bool keep_room) {
  beginResetModel();
  if (keep_room) {
    buffer_.clear();
    ends_.clear();
    checks_.clear();
  } else {
    std::string().swap(buffer_);
    std::vector<std::uint32_t>().swap(ends_);
    std::vector<std::size_t>().swap(written_);
    std::vector<unsigned char>().swap(checks_);
  }
  announced_ = 0;
  ++changes_;
  endResetModel();
}

}  // namespace quorvane
