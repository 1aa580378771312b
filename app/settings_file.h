#pragma once
// The settings file as text: INI lines as Qt's settings files write them, read line by
// line so that one bad line costs that line alone, and written back with every line
// that was read kept as it was, apart from the values the program changed.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstddef>
#include <optional>
#include <vector>

#include "app/settings_escape.h"

namespace quorvane {

class SettingsText {
 public:
  // `keys` are the settings the program reads and writes, each "GROUP/KEY", all of one
  // group; the others are kept as lines.
  explicit SettingsText(QStringList keys) : keys_(std::move(keys)) {}

  // Reads `bytes`. False when they are no settings text at all (a NUL byte outside a
  // quoted value: a binary or UTF-16 file); nothing is kept then.
  bool parse(QByteArray bytes);

  // The value of keys[key], the last one when it stands twice; nullopt when missing.
  // A value of several comma-separated parts reads as those parts joined by ", ".
  std::optional<QString> value(int key) const;
  // The value of keys[key] as the very bytes of the file, when value() would read them
  // as they stand (see plain_value); nullopt otherwise. Valid while the text is kept.
  std::optional<QByteArrayView> plainValue(int key) const;
  // Which of the keys stands on the last line when that line runs to the end of the
  // input (which may have cut it); -1 for none.
  int keyAtEnd() const;

  // Lines that are neither a section, a setting, a comment nor blank: how many, and
  // the number of the first (counting from 1).
  std::size_t skippedLines() const { return skipped_; }
  std::size_t firstSkippedLine() const { return first_skipped_; }

  // The text with `changed` (key, value) in place of what the lines held: other lines
  // as they were, comments and unreadable lines left out, the changed keys under their
  // group's first heading (a heading added at the end when there is none).
  QByteArray render(const std::vector<std::pair<int, QString>>& changed) const;

 private:
  struct Line {
    qint32 start, size;
    qint32 equals;  // where a setting's value starts; -1 for a section heading
    qint32 key;     // the index in keys_, or -1
  };
  QStringList keys_;
  QByteArray bytes_;
  std::vector<Line> lines_;
  qsizetype first_heading_ = -1;  // the first line that heads the keys' group
  std::size_t skipped_ = 0, first_skipped_ = 0;
  // The line (of lines_) that ran to the end of the input inside quotes or after a
  // lone backslash, and which of the two.
  qsizetype open_line_ = -1;
  bool open_quote_ = false, open_escape_ = false;
};

}  // namespace quorvane
