#include "app/settings_escape.h"

#include <emmintrin.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>

namespace quorvane {
namespace {

bool is_hex(char16_t c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  return (c | 0x20) - 'a' + 10;
}

constexpr char kHexDigits[] = "0123456789ABCDEF";

// Valid UTF-8 without a backslash, and without the byte order mark that a decoder may
// drop: each character's shortest form, no surrogate, nothing beyond U+10FFFF.
bool is_plain_utf8(QByteArrayView text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* const end = p + text.size();
  while (p < end) {
    // Sixteen bytes at a time while they are ASCII without a backslash (whose byte mark
    // has its top bit set, as every byte that is not ASCII does).
    if (end - p >= 16) {
      const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      if (_mm_movemask_epi8(_mm_or_si128(bytes, _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\\')))) == 0) {
        p += 16;
        continue;
      }
    }
    const unsigned c = *p;
    if (c == '\\') return false;
    if (c < 0x80) {
      ++p;
      continue;
    }
    const int length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 ? 2 : 0;
    if (length == 0 || c > 0xF4 || end - p < length) return false;
    for (int k = 1; k < length; ++k)
      if ((p[k] & 0xC0) != 0x80) return false;
    if ((c == 0xE0 && p[1] < 0xA0) || (c == 0xED && p[1] >= 0xA0) || (c == 0xF0 && p[1] < 0x90) ||
        (c == 0xF4 && p[1] >= 0x90) || (c == 0xEF && p[1] == 0xBB && p[2] == 0xBF))
      return false;
    p += length;
  }
  return true;
}

}  // namespace

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

std::optional<QByteArrayView> plain_value(QByteArrayView raw) {
  const char* p = raw.data();
  const char* const end = p + raw.size();
  while (p < end && (*p == ' ' || *p == '\t')) ++p;
  if (p == end || *p != '"') return std::nullopt;
  const char* const begin = p + 1;
  const auto* close = static_cast<const char*>(std::memchr(begin, '"', std::size_t(end - begin)));
  if (!close) return std::nullopt;
  for (p = close + 1; p < end; ++p)
    if (*p != ' ' && *p != '\t') return std::nullopt;
  const QByteArrayView text(begin, close - begin);
  if ((!text.empty() && text.front() == '@') || !is_plain_utf8(text)) return std::nullopt;
  return text;
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
