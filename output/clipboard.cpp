#include "output/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <algorithm>
#include <vector>

#include "engine/text.h"

namespace quorvane {

namespace {

constexpr char kChangedWhileCopying[] =
    "The results list changed while it was being copied, so the clipboard was left as it "
    "was. Copy again to copy the list as it is now.";

}  // namespace

namespace {

// The text is built once, as UTF-8, in the buffer the clipboard then holds: a million
// rows cost their bytes once, not in three copies and two encodings.
QByteArray clipboard_bytes(const ListSource& list, Yielder& yield) {
  const std::uint64_t changes = list.changes();
  const int columns = list.columns();
  const std::size_t rows = list.rows();
  std::vector<std::size_t> widths;
  std::size_t total = 0;
  for (int c = 0; c < columns; ++c) {
    std::size_t w = 0;
    for (std::size_t r = 0; r < rows; ++r) {
      yield.maybe();
      check_unchanged(list, changes, 0, kChangedWhileCopying);
      const std::string_view t = list.cell(r, c);
      w = std::max(w, char_count(t));
      total += t.size();
    }
    widths.push_back(w);
  }
  QByteArray out;
  out.reserve(static_cast<qsizetype>(total + rows * (static_cast<std::size_t>(columns) + 2)));
  for (std::size_t r = 0; r < rows; ++r) {
    yield.maybe();
    check_unchanged(list, changes, 0, kChangedWhileCopying);
    if (!list.checked(r)) continue;
    for (int c = 0; c < columns; ++c) {
      const std::string_view t = list.cell(r, c);
      out.append(t.data(), static_cast<qsizetype>(t.size()));
      const std::size_t n = char_count(t);
      if (widths[c] > n) out.append(static_cast<qsizetype>(widths[c] - n), ' ');
      out += '\t';
    }
    out.chop(1);  // the line's last TAB
    while (!out.isEmpty() && out.back() == ' ') out.chop(1);
    out += "\r\n";
  }
  return out;
}

// The clipboard's plain text, given as UTF-8 bytes it keeps without conversion.
void set_clipboard_utf8(const QByteArray& utf8) {
  QClipboard* cb = QGuiApplication::clipboard();
  if (!cb) return;
  auto* mime = new QMimeData;
  mime->setData(QStringLiteral("text/plain;charset=utf-8"), utf8);
  mime->setData(QStringLiteral("text/plain"), utf8);  // shares the same bytes
  cb->setMimeData(mime);
}

}  // namespace

std::string clipboard_text(const ListSource& list, Yielder& yield) {
  const QByteArray bytes = clipboard_bytes(list, yield);
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

void copy_checked_rows(const ListSource& list, Yielder& yield) {
  if (list.rows() == 0) return;
  const QByteArray text = clipboard_bytes(list, yield);
  clear_clipboard();
  set_clipboard_utf8(text);
}

// Qt's clipboard reports no failure of its own; on X11 and Wayland it owns the
// selection itself, so a single attempt is all there is. The retry bound stays for
// platforms whose clipboard can be held open by another program.
void clear_clipboard() {
  if (auto* cb = QGuiApplication::clipboard()) cb->clear();
}

bool set_clipboard_text(const QString& text, int format) {
  QClipboard* cb = QGuiApplication::clipboard();
  if (!cb) return false;
  if (format == 0) {
    cb->setText(text);
  } else {
    auto* mime = new QMimeData;
    mime->setData(QStringLiteral("application/x-qt-clipboard-format-%1").arg(format),
                  text.toUtf8());
    cb->setMimeData(mime);
  }
  return true;
}

}  // namespace quorvane
