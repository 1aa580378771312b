#pragma once
// Reading a zip code list file in the window: the whole file at once, through the
// list reader that the command line uses too.
#include <QByteArray>
#include <functional>
#include <string>

#include "engine/list_reader.h"

namespace quorvane {

// A file larger than this is no zip code list; it is refused with one message.
inline constexpr qint64 kMaxListFileBytes = 64LL << 20;
// The longest entry of the list, in bytes of UTF-8: a line of a list file that the
// command line reads.
inline constexpr qsizetype kMaxEntryBytes = 1 << 20;

// Calls `entry` for every entry of `bytes`, in order (see ListReader). Returns false
// (after the entries before it) at a NUL byte, which no text file holds.
bool split_list_entries(const QByteArray& bytes, const std::function<void(std::string&&)>& entry,
                        const std::function<void()>& progress = {});

}  // namespace quorvane
