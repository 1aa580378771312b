#pragma once
// Rows of text apart from any list: their texts one after another and where each ends.
// They can be made on any thread and handed to a list whole (TextListModel::adoptRows).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

struct TextRows {
  std::string buffer;               // every row's text, one after another
  std::vector<std::uint32_t> ends;  // where each row's text ends in the buffer
};

// Appends each non-empty piece of `text` between `separator`s to the rows, in one pass.
// The caller keeps the buffer within 4 GB (see TextListModel::kMostBytes).
void append_pieces(std::string_view text, char separator, std::string& buffer,
                   std::vector<std::uint32_t>& ends);

// Asks the kernel to map the 2 MB-aligned middle of a block in 2 MB pages.
void prefer_huge_pages(const void* start, std::size_t bytes);

}  // namespace quorvane
