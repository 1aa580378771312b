#pragma once
// A compact list model for a million rows: the rows' UTF-8 texts one after another in
// one buffer, an offset and a check mark a row, no object per row. Appends are
// collected and announced to views in one step (flush), so a run that appends row by
// row does not make the view lay out row by row.
#include <QAbstractListModel>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "output/list_source.h"
#include "output/text_rows.h"

namespace quorvane {

class TextListModel : public QAbstractListModel, public ListSource {
  Q_OBJECT
 public:
  static constexpr int kDisplayLimit = 1000;  // characters shown of one entry
  // The most bytes of text a list holds, so that a row's end takes 32 bits. The lists'
  // inputs stay well below it: list files of 64 MB, 20,000,000 stored entries, and
  // result lines of at most about 120 bytes each.
  static constexpr std::size_t kMostBytes = 0xFFFFFFFFu;

  TextListModel(QString heading, bool checkable, QObject* parent = nullptr);

  // The item model, as the views see it.
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation o, int role) const override;

  // The list itself, appends included that views have not been told of yet.
  std::size_t size() const { return ends_.size(); }
  // Valid until the list next changes.
  std::string_view text(std::size_t row) const {
    const std::size_t start = row == 0 ? 0 : ends_[row - 1];
    return std::string_view(buffer_).substr(start, ends_[row] - start);
  }
  // A list that is not checkable keeps no marks: none of its rows is checked.
  bool isChecked(std::size_t row) const { return checkable_ && checks_[row] != 0; }
  void setChecked(std::size_t row, bool on);
  void append(std::string_view text, bool checked = false);
  // Appends the rows that `write(texts, ends)` adds at the end of the texts and of their
  // end offsets, all with one check mark: a writer such as the engine's batch call puts
  // its lines straight into the list, with no copy. A writer that throws adds nothing.
  template <class Write>
  void appendWritten(bool checked, Write&& write) {
    const std::size_t bytes = buffer_.size(), rows = ends_.size();
    written_.clear();
    try {
      write(buffer_, written_);
      check_room(0);
      for (std::size_t end : written_) ends_.push_back(static_cast<std::uint32_t>(end));
    } catch (...) {
      buffer_.resize(bytes);
      ends_.resize(rows);
      throw;
    }
    if (checkable_) checks_.resize(ends_.size(), checked);
    ++changes_;
  }
  // Appends rows written elsewhere: their texts one after another, and where each ends
  // in them.
  void appendRows(std::string_view texts, std::span<const std::size_t> ends, bool checked);
  // Appends each non-empty piece of `text` between `separator`s, unchecked, in one pass.
  void appendPieces(std::string_view text, char separator);
  // Appends rows made elsewhere, unchecked; an empty list takes their memory as it is.
  void adoptRows(TextRows&& rows);
  void reserve(std::size_t rows, std::size_t bytes);
  std::size_t bytes() const { return buffer_.size(); }
  void removeAt(std::size_t row);
  // Empties the list and gives its memory back; with `keep_room`, the memory is kept
  // for rows about to be written again (a new run's results), which then land in
  // memory already in use instead of fresh pages the system must clear first.
  void clear(bool keep_room = false);
  // Tells the views about the rows appended since the last flush.
  void flush();
  // flush() for rows appended to a list the views know as empty, told as a new list (a
  // reset): a view takes a million rows that way in a fraction of the time.
  void flushAsNewList();
  std::vector<std::string> texts() const;

  // ListSource
  int columns() const override { return 1; }
  std::string header(int) const override { return heading_; }
  std::size_t rows() const override { return ends_.size(); }
  std::string_view cell(std::size_t row, int) const override { return text(row); }
  bool checked(std::size_t row) const override { return isChecked(row); }
  std::uint64_t changes() const override { return changes_; }

 private:
  // appendRows for ends of any width.
  template <class End>
  void appendTexts(std::string_view texts, std::span<const End> ends, bool checked);

  std::string heading_;
  bool checkable_;
  // Throws when `more` bytes would take the texts past kMostBytes.
  void check_room(std::size_t more) const;

  std::string buffer_;                 // every row's text, one after another
  std::vector<std::uint32_t> ends_;    // where each row's text ends in the buffer
  std::vector<std::size_t> written_;   // appendWritten: the ends as the writer gives them
  std::vector<unsigned char> checks_;  // a checkable list's marks, one a row
  int announced_ = 0;                  // rows the views know of
  std::uint64_t changes_ = 0;
};

}  // namespace quorvane
