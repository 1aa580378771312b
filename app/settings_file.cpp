#include "app/settings_file.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "app/settings_escape.h"

namespace quorvane {
namespace {

bool is_space(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool is_line_end(char c) {
  return c == '\r' || c == '\n';
}

// How many bytes end `line` with a backslash that escapes a line end (CR, LF, CR LF or
// LF CR); 0 when it ends otherwise.
qsizetype escaped_line_end(QByteArrayView line) {
  const qsizetype n = line.size();
  if (n < 2 || !is_line_end(line[n - 1])) return 0;
  const qsizetype end_size =
      n >= 3 && is_line_end(line[n - 2]) && line[n - 2] != line[n - 1] && line[n - 3] == '\\' ? 2
                                                                                              : 1;
  qsizetype slashes = 0;
  while (slashes < n - end_size && line[n - end_size - 1 - slashes] == '\\') ++slashes;
  return slashes % 2 == 1 ? end_size + 1 : 0;
}

}  // namespace

bool SettingsText::parse(QByteArray bytes) {
  bytes_ = std::move(bytes);
  lines_.clear();
  skipped_ = first_skipped_ = 0;
  first_heading_ = open_line_ = -1;
  if (bytes_.size() >= std::numeric_limits<qint32>::max()) return false;
  const QString group = keys_.isEmpty() ? QString() : keys_.front().section(QLatin1Char('/'), 0, 0);
  const char* d = bytes_.constData();
  const qsizetype n = bytes_.size();
  QString prefix;  // the heading's group and "/"; empty for the general group
  // Where the next quote and backslash stand (n for none), found once for a long value.
  qsizetype next_quote = -1, next_backslash = -1;
  auto find = [&](qsizetype from, char c) {
    const void* at = std::memchr(d + from, c, std::size_t(n - from));
    return at ? static_cast<const char*>(at) - d : n;
  };
  for (qsizetype pos = 0;;) {
    while (pos < n && is_space(d[pos])) ++pos;
    if (pos >= n) break;
    const qsizetype start = pos;
    if (d[start] == ';') {  // a comment, to the end of its line
      while (pos < n && d[pos] != '\n' && d[pos] != '\r') ++pos;
      continue;
    }
    qsizetype equals = -1;
    bool quoted = false, open_escape = false;
    while (pos < n) {
      if (quoted) {  // inside quotes only a quote or a backslash counts
        if (next_quote < pos) next_quote = find(pos, '"');
        if (next_backslash < pos) next_backslash = find(pos, '\\');
        pos = std::min(next_quote, next_backslash);
        if (pos >= n) break;
      }
      const char c = d[pos++];
      if (c == '=') {
        if (!quoted && equals < 0) equals = pos - 1;
      } else if ((c == '\n' || c == '\r' || c == ';') && !quoted) {
        --pos;  // the line ends before it
        break;
      } else if (c == '\\') {
        if (pos >= n)
          open_escape = true;
        else if (++pos < n &&
                 ((d[pos - 1] == '\n' && d[pos] == '\r') || (d[pos - 1] == '\r' && d[pos] == '\n')))
          ++pos;
      } else if (c == '"') {
        quoted = !quoted;
      } else if (c == '\0' && !quoted) {
        lines_.clear();
        return false;  // binary, or text of two bytes a character
      }
    }
    const QByteArrayView line(d + start, pos - start);
    Line kept{qint32(start), qint32(line.size()), -1, -1};
    if (line[0] == '[') {
      const qsizetype close = line.indexOf(']');
      const QByteArray name =
          line.sliced(1, (close < 0 ? line.size() : close) - 1).toByteArray().trimmed();
      prefix = name.compare("general", Qt::CaseInsensitive) == 0
                   ? QString()
                   : unescaped_key(name) + QLatin1Char('/');
      if (first_heading_ < 0 && !group.isEmpty() && prefix == group + QLatin1Char('/'))
        first_heading_ = static_cast<qsizetype>(lines_.size());
    } else if (equals >= 0) {
      kept.equals = qint32(equals + 1);
      const QString key =
          prefix + unescaped_key(QByteArrayView(d + start, equals - start).toByteArray().trimmed());
      kept.key = qint32(keys_.indexOf(key));
    } else {
      if (skipped_++ == 0) first_skipped_ = 1 + std::count(d, d + start, '\n');
      continue;
    }
    lines_.push_back(kept);
    if (pos >= n && (quoted || open_escape)) {
      open_line_ = static_cast<qsizetype>(lines_.size()) - 1;
      open_quote_ = quoted;
      open_escape_ = open_escape;
    }
  }
  return true;
}

std::optional<QString> SettingsText::value(int key) const {
  for (auto line = lines_.rbegin(); line != lines_.rend(); ++line) {
    if (line->key != key || key < 0) continue;
    const QStringList parts = unescaped_value(
        QByteArrayView(bytes_.constData() + line->equals, line->start + line->size - line->equals));
    if (parts.size() == 1) return text_of(parts.first());
    QStringList texts;
    for (const QString& part : parts) texts.append(text_of(part).value_or(QString()));
    return texts.join(QStringLiteral(", "));
  }
  return std::nullopt;
}

std::optional<QByteArrayView> SettingsText::plainValue(int key) const {
  for (auto line = lines_.rbegin(); line != lines_.rend(); ++line) {
    if (line->key != key || key < 0) continue;
    return plain_value(
        QByteArrayView(bytes_.constData() + line->equals, line->start + line->size - line->equals));
  }
  return std::nullopt;
}

int SettingsText::keyAtEnd() const {
  if (lines_.empty() || lines_.back().start + lines_.back().size != bytes_.size()) return -1;
  return lines_.back().key;
}

QByteArray SettingsText::render(const std::vector<std::pair<int, QString>>& changed) const {
  auto is_changed = [&](int key) {
    return key >= 0 && std::any_of(changed.begin(), changed.end(),
                                   [&](const auto& c) { return c.first == key; });
  };
  QByteArray out;
  qsizetype size = bytes_.size() + 64;
  for (const auto& [key, value] : changed) size += value.size() * 3 / 2 + 32;
  out.reserve(size);
  auto place = [&] {
    for (const auto& [key, value] : changed)
      out += escaped_key(keys_[key].section(QLatin1Char('/'), 1)) + '=' +
             escaped_setting_value(value) + '\n';
  };
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const Line& line = lines_[i];
    if (is_changed(line.key)) continue;
    QByteArrayView raw(bytes_.constData() + line.start, line.size);
    // A last line that the end of the input left open is closed, so that no line
    // written after it joins it.
    const bool open = static_cast<qsizetype>(i) == open_line_;
    if (open && open_escape_) raw.chop(1);
    // An escaped line end that ends a line ("\\" and CR, then a line end of its own or
    // the end of the input) would escape the line end written after it. It continues
    // the line with nothing, so it goes, as often as the line ends with one.
    while (const qsizetype escape = escaped_line_end(raw)) raw.chop(escape);
    out += raw;
    if (open && open_quote_) out += '"';
    out += '\n';
    if (static_cast<qsizetype>(i) == first_heading_) place();
  }
  if (first_heading_ < 0 && !changed.empty()) {
    out += '[' + escaped_key(keys_.front().section(QLatin1Char('/'), 0, 0)) + "]\n";
    place();
  }
  return out;
}

}  // namespace quorvane
