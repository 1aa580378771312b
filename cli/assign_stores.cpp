// The store file of assign: a list of zip codes or a table whose other columns travel
// with each store.
#include "cli/assign.h"
#include "cli/columns.h"
#include "cli/table_columns.h"
#include "engine/zip_clean.h"
#include "format/csv.h"

namespace quorvane::cli {

std::optional<Stores> read_stores(const AssignSettings& s, const ZipTable& table, char delimiter) {
  const InputFile file(s.stores);
  if (file.fd() < 0) return std::nullopt;
  CsvOptions csv;
  if (s.delimiter.size() == 1) csv.delimiter = s.delimiter[0];
  CsvReader reader(CsvReader::from_fd(file.fd()), csv);
  const auto fault = [&] {
    report("Cannot read the store file " + s.stores + ": " + reader.error());
    return std::nullopt;
  };
  if (!reader.next()) {
    if (reader.failed()) return fault();
    report("The store file " + s.stores + " is empty");
    return std::nullopt;
  }
  // A name needs a header; a number finds one when the first line's cell is no zip code.
  std::vector<std::string> first(reader.fields().begin(), reader.fields().end());
  const std::vector<std::string_view> first_views(first.begin(), first.end());
  const bool by_name = !is_column_number(s.to_column);
  const auto zip_column = find_column(s.to_column, first_views, true);
  if (!zip_column) {
    report(missing_column("--to-column", s.to_column, s.stores, first_views, true));
    return std::nullopt;
  }
  const std::size_t column = *zip_column;
  const bool header = by_name || !clean_zip(first[column], s.strict).ok();

  Stores out;
  for (std::size_t c = 0; c < first.size(); ++c)
    if (c != column)
      out.carried_names.push_back(header ? first[c] : "store_" + std::to_string(c + 1));
  StatusTally left_out;
  const auto take = [&](std::span<const std::string_view> fields, std::uint64_t line) {
    const std::string_view cell = column < fields.size() ? fields[column] : std::string_view();
    CellPlace p = place_of_cell(table, cell, s.strict, s.common.compare().use2016);
    if (p.status != PairStatus::Distance) {
      left_out.add(p.status, cell, line);
      return;
    }
    out.places.push_back(std::move(p.place));
    for (std::size_t c = 0; c < first.size(); ++c) {
      if (c == column) continue;
      out.carried += delimiter;
      if (c < fields.size()) append_csv_field(out.carried, fields[c], delimiter);
    }
    out.carried_end.push_back(out.carried.size());
  };
  if (!header) take(first_views, reader.line());
  while (reader.next()) take(reader.fields(), reader.line());
  if (reader.failed()) return fault();
  if (out.places.empty()) {
    report("The store file " + s.stores + " has no usable zip code" +
           (left_out.total() ? "; " + left_out.left_out("stores") : std::string()));
    return std::nullopt;
  }
  const std::string said = left_out.left_out("Stores");
  if (!said.empty()) report(said);
  return out;
}

}  // namespace quorvane::cli
