#include "app/settings_file.h"

#include <algorithm>
#include <cctype>
#include <limits>

namespace quorvane {
namespace {

bool is_space(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool is_hex(char16_t c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  return (c | 0x20) - 'a' + 10;
}

constexpr char kHexDigits[] = "0123456789ABCDEF";

// A key or group name as the file writes it: "%20" for a blank, "%UXXXX" beyond
// Latin-1, a backslash for "/".
QString unescaped_key(QByteArrayView raw) {
  const QString text = QString::fromUtf8(raw);
  QString key;
  key.reserve(text.size());
  for (qsizetype i = 0; i < text.size();) {
    const char16_t c = text[i].unicode();
    if (c == '\\') {
      key += QLatin1Char('/');
      ++i;
      continue;
    }
    if (c == '%' && i + 1 < text.size()) {
      const qsizetype first = text[i + 1] == QLatin1Char('U') ? i + 2 : i + 1;
      const qsizetype digits = first == i + 2 ? 4 : 2;
      bool ok = false;
      const ushort code = first + digits <= text.size()
                              ? QStringView(text).sliced(first, digits).toUShort(&ok, 16)
                              : 0;
      if (ok) {
        key += QChar(code);
        i = first + digits;
        continue;
      }
    }
    key += text[i++];
  }
  return key;
}

QByteArray escaped_key(const QString& key) {
  QByteArray out;
  for (const QChar qc : key) {
    const char16_t c = qc.unicode();
    if (c == '/') {
      out += '\\';
    } else if ((c < 0x80 && std::isalnum(static_cast<unsigned char>(c))) || c == '_' || c == '-' ||
               c == '.') {
      out += static_cast<char>(c);
    } else if (c <= 0xFF) {
      out += '%';
      out += kHexDigits[c / 16];
      out += kHexDigits[c % 16];
    } else {
      out += "%U";
      for (int shift = 12; shift >= 0; shift -= 4) out += kHexDigits[(c >> shift) & 0xF];
    }
  }
  return out;
}

// One value of a setting line: quotes, backslash escapes, and commas outside quotes
// that make it a list of parts. Trailing blanks of an unquoted part are dropped.
QStringList unescaped_value(QByteArrayView raw) {
  QStringList parts;
  QByteArray part;  // UTF-8 until the part ends
  bool quoted = false, part_quoted = false;
  qsizetype keep = 0;  // an unquoted part keeps its blanks up to here
  auto finish_part = [&] {
    if (!part_quoted) {
      qsizetype end = part.size();
      while (end > keep && (part[end - 1] == ' ' || part[end - 1] == '\t')) --end;
      part.truncate(end);
    }
    parts.append(QString::fromUtf8(part));
    part.clear();
    part_quoted = false;
    keep = 0;
  };
  auto skip_blanks = [&](qsizetype i) {
    while (i < raw.size() && (raw[i] == ' ' || raw[i] == '\t')) ++i;
    return i;
  };
  auto add_code = [&](uint code) { part += QString(QChar(char16_t(code))).toUtf8(); };
  static constexpr char kEscapes[][2] = {{'a', '\a'}, {'b', '\b'},  {'f', '\f'}, {'n', '\n'},
                                         {'r', '\r'}, {'t', '\t'},  {'v', '\v'}, {'"', '"'},
                                         {'?', '?'},  {'\'', '\''}, {'\\', '\\'}};
  for (qsizetype i = skip_blanks(0); i < raw.size();) {
    const char c = raw[i++];
    if (c == '\\') {
      if (i >= raw.size()) break;
      const char e = raw[i++];
      const auto* known = std::find_if(std::begin(kEscapes), std::end(kEscapes),
                                       [&](const char* pair) { return pair[0] == e; });
      if (known != std::end(kEscapes)) {
        part += (*known)[1];
      } else if ((e == 'x' && i < raw.size() && is_hex(char16_t(raw[i]))) ||
                 (e >= '0' && e <= '7')) {
        const int base = e == 'x' ? 16 : 8;
        uint code = e == 'x' ? 0 : uint(e - '0');
        while (i < raw.size() &&
               (base == 16 ? is_hex(char16_t(raw[i])) : (raw[i] >= '0' && raw[i] <= '7')))
          code = code * base + uint(hex_value(raw[i++]));
        add_code(code & 0xFFFF);
      } else if ((e == '\n' || e == '\r') && i < raw.size() && (raw[i] == '\n' || raw[i] == '\r') &&
                 raw[i] != e) {
        ++i;  // an escaped line end of two characters
      }
      keep = part.size();
    } else if (c == '"') {
      part_quoted = true;
      quoted = !quoted;
      if (!quoted) i = skip_blanks(i);
    } else if (c == ',' && !quoted) {
      finish_part();
      i = skip_blanks(i);
      if (i >= raw.size()) parts.append(QString());  // "a," is two parts, the second empty
    } else {
      part += c;
    }
  }
  if (!part.isEmpty() || parts.isEmpty() || part_quoted) finish_part();
  return parts;
}

// A part as a text: "@@" stands for a text that begins with "@"; "@Invalid()" for none;
// "@ByteArray(...)" and "@String(...)" (a text holding NUL) hold the text in brackets.
std::optional<QString> text_of(const QString& part) {
  if (!part.startsWith(QLatin1Char('@'))) return part;
  if (part.startsWith(QLatin1String("@@"))) return part.mid(1);
  if (part == QLatin1String("@Invalid()")) return std::nullopt;
  if (!part.endsWith(QLatin1Char(')'))) return part;
  if (part.startsWith(QLatin1String("@ByteArray("))) return part.mid(11, part.size() - 12);
  if (part.startsWith(QLatin1String("@String("))) return part.mid(8, part.size() - 9);
  return part;
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
    // An escaped line end that the end of the input cut short ("\\" and CR, then
    // nothing) would escape the line end written after it: it continues the line with
    // nothing, so it goes.
    if (static_cast<qsizetype>(i) + 1 == static_cast<qsizetype>(lines_.size())) {
      QByteArrayView trimmed = raw;
      while (!trimmed.empty() && (trimmed.back() == '\r' || trimmed.back() == '\n'))
        trimmed.chop(1);
      qsizetype slashes = 0;
      while (slashes < trimmed.size() && trimmed[trimmed.size() - 1 - slashes] == '\\') ++slashes;
      if (trimmed.size() < raw.size() && slashes % 2 == 1) raw = trimmed.chopped(1);
    }
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

QByteArray escaped_setting_value(const QString& value) {
  const QString text = value.startsWith(QLatin1Char('@')) ? QLatin1Char('@') + value : value;
  QByteArray out;
  out.reserve(text.size() + text.size() / 2 + 2);
  bool quotes = false, hex_after = false;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t c = text[i].unicode();
    if (c == ';' || c == ',' || c == '=') quotes = true;
    if (hex_after && is_hex(c)) {  // a digit after "\x.." would join its number
      out += "\\x" + QByteArray::number(c, 16);
      continue;
    }
    hex_after = false;
    static constexpr char kNamed[] = {'\a', 'a',  '\b', 'b',  '\f', 'f',  '\n',
                                      'n',  '\r', 'r',  '\t', 't',  '\v', 'v'};
    const char* named = c < 0x20 ? std::find(kNamed, std::end(kNamed), char(c)) : std::end(kNamed);
    if (c == 0) {
      out += "\\0";
      hex_after = true;
    } else if (named != std::end(kNamed) && (named - kNamed) % 2 == 0) {
      out += '\\';
      out += named[1];
    } else if (c == '"' || c == '\\') {
      out += '\\';
      out += char(c);
    } else if (c < 0x20) {
      out += "\\x" + QByteArray::number(c, 16);
      hex_after = true;
    } else if (c < 0x80) {
      out += char(c);
    } else {
      // A surrogate pair is one character in UTF-8.
      const qsizetype n = QChar::isHighSurrogate(c) && i + 1 < text.size() ? 2 : 1;
      out += QStringView(text).sliced(i, n).toUtf8();
      i += n - 1;
    }
  }
  if (quotes || (!out.isEmpty() && (out.front() == ' ' || out.back() == ' '))) {
    out.prepend('"');
    out += '"';
  }
  return out;
}

}  // namespace quorvane
