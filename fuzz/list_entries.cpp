// Splitting a list file against a model: line ends made one kind, then cut.
#include <QStringDecoder>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/list_file.h"

namespace {

std::string replaced(std::string s, const std::string& from, const std::string& to) {
  for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
    s.replace(at, from.size(), to);
  return s;
}

// The raw entries, and whether the bytes were text (no NUL).
std::vector<std::string> model(std::string bytes, bool& text) {
  if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) bytes.erase(0, 3);
  const auto nul = bytes.find('\0');
  text = nul == std::string::npos;
  const bool bare_lf_at_end = text && !bytes.empty() && bytes.back() == '\n' &&
                              (bytes.size() < 2 || bytes[bytes.size() - 2] != '\r');
  if (!text) bytes.resize(nul);
  const std::string lines = replaced(replaced(bytes, "\r\n", "\n"), "\r", "\n");
  std::vector<std::string> pieces;
  std::size_t start = 0;
  for (std::size_t at; (at = lines.find('\n', start)) != std::string::npos; start = at + 1)
    pieces.push_back(lines.substr(start, at - start));
  // What follows the last line end is an entry when there is something, or when a bare
  // LF ends the file; before a NUL it is a line cut short.
  if (text && (start < lines.size() || bare_lf_at_end)) pieces.push_back(lines.substr(start));
  return pieces;
}

bool valid_utf8(const std::string& s) {
  QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString decoded = decoder(QByteArrayView(s.data(), static_cast<qsizetype>(s.size())));
  return !decoder.hasError();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  std::vector<std::string> got;
  const bool text =
      quorvane::split_list_entries(bytes, [&](std::string&& e) { got.push_back(std::move(e)); });
  bool want_text = false;
  const std::vector<std::string> want = model(bytes.toStdString(), want_text);
  if (text != want_text || got.size() != want.size()) std::abort();
  for (std::size_t i = 0; i < got.size(); ++i) {
    // Valid UTF-8 comes through as it is; anything else becomes valid UTF-8.
    if (valid_utf8(want[i]) ? got[i] != want[i] : !valid_utf8(got[i])) std::abort();
  }
  return 0;
}
