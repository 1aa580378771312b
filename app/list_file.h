#pragma once
// Reading a zip code list file: one entry per line, a line ending at CR, CR LF or the
// end of the file, and every LF inside a line separating entries as well. Nothing is
// trimmed or checked; empty pieces are entries too.
#include <QByteArray>
#include <functional>
#include <string>

namespace quorvane {

// A file larger than this is no zip code list; it is refused with one message.
inline constexpr qint64 kMaxListFileBytes = 64LL << 20;

// Calls `entry` for every entry of `bytes`, in order. A UTF-8 byte-order mark at the
// start is skipped; bytes that are not valid UTF-8 come through as their Latin-1
// characters. Returns false (after the entries before it) at a NUL byte, which no text
// file holds.
bool split_list_entries(const QByteArray& bytes, const std::function<void(std::string&&)>& entry,
                        const std::function<void()>& progress = {});

// Valid UTF-8 is kept; any other byte becomes the UTF-8 of its Latin-1 character.
std::string utf8_or_latin1(const char* data, std::size_t size);

}  // namespace quorvane
