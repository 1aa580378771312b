#pragma once
// The list entries of a run: the named list files in turn, or standard input, read in
// big chunks through the window's list reader.
#include <functional>
#include <string>
#include <vector>

#include "engine/list_reader.h"

namespace quorvane::cli {

// No zip code list has a line this long; past it the input is refused, so that an
// endless line cannot take all memory.
inline constexpr std::size_t kMaxLineBytes = 1 << 20;

// Every named file must be a regular file ("-" is standard input); false, with one
// message per file, when one is not.
bool check_inputs(const std::vector<std::string>& files);

// Calls `entry` for every entry of every input, standard input when there are none,
// and `idle` whenever the input has nothing more for now (a pipe that was read empty),
// so that a caller that feeds it line by line gets its answers as they come.
// An input that cannot be read to its end is reported, its entries before the fault
// kept, and the next input read; returns false when any was.
bool read_inputs(const std::vector<std::string>& files, const ListReader::EntryFn& entry,
                 const std::function<void()>& idle);

}  // namespace quorvane::cli
