// quorvane-cli within --centres FILE MILES: every centre of a list in one process.
#include <optional>

#include "cli/columns.h"
#include "cli/coordinates.h"
#include "cli/open_engine.h"
#include "cli/output.h"
#include "cli/table_columns.h"
#include "cli/within.h"
#include "engine/text.h"
#include "engine/zip_clean.h"
#include "format/csv.h"

namespace quorvane::cli {
namespace {

// The lines of one centre, worded as within words them, each led by the centre.
void append_lines(ZipDistance& engine, const CompareOptions& options, const ZipPlace& centre,
                  const std::vector<Neighbour>& found, std::string_view lead, std::string& lines,
                  std::vector<std::size_t>& ends, std::string& text) {
  constexpr std::size_t kBlock = 4096;
  std::vector<ZipPair> pairs;
  pairs.reserve(std::min(found.size(), kBlock));
  for (std::size_t first = 0; first < found.size(); first += kBlock) {
    pairs.clear();
    for (std::size_t i = first; i < found.size() && pairs.size() < kBlock; ++i)
      pairs.push_back({centre.zip, found[i].place->zip});
    lines.clear();
    ends.clear();
    engine.compare(pairs, options, {}, LineOutput{&lines, '\0', &ends});
    for (std::size_t i = 0; i < ends.size(); ++i) {
      const std::size_t from = i == 0 ? 0 : ends[i - 1];
      text += lead;
      text += '\t';
      text.append(lines, from, ends[i] - from);
      text += '\n';
    }
  }
}

}  // namespace

int within_centres(const WithinSettings& s) {
  OpenEngine db(s.common);
  if (!db.open()) return kError;
  ZipDistance& engine = db.engine();
  const CompareOptions& options = db.options();
  const ZipTable& table = db.table();
  const ZipIndex& index = *engine.store().index(options.use2016);

  const InputFile file(s.centres);
  if (file.fd() < 0) return kError;
  CsvReader reader(CsvReader::from_fd(file.fd()));
  const auto fault = [&] {
    report("Cannot read the centres " + s.centres + ": " + reader.error());
    return kError;
  };
  bool more = reader.next();
  if (reader.failed()) return fault();
  std::size_t column = 0;
  const std::string col = s.column.empty() ? "1" : s.column;
  if (more) {
    const auto fields = reader.fields();
    const auto found = find_column(col, fields, true);
    if (!found) {
      report(missing_column("--column", col, s.centres, fields, true));
      return kError;
    }
    column = *found;
    // A header: named by the column, or a first cell that is no zip code.
    if (!is_column_number(col) || !clean_zip(fields[column], s.strict).ok()) more = reader.next();
  }

  const bool csv = s.format == "csv";
  Output out;
  std::string& text = out.text();
  // The header goes out with the first row (or at the end), so that a fault in the
  // first record leaves nothing that looks like a result.
  bool header_due = csv;
  const auto write_header = [&] {
    header_due = false;
    text += "centre,zip,";
    text += unit_column(options.units);
    text += "\r\n";
  };
  StatusTally tally;
  std::string lead, lines;
  std::vector<std::size_t> ends;
  for (; more; more = reader.next()) {
    if (header_due) write_header();
    const auto fields = reader.fields();
    const std::string_view cell = column < fields.size() ? fields[column] : std::string_view();
    const CellPlace centre = place_of_cell(table, cell, s.strict, options.use2016);
    tally.add(centre.status, cell, reader.line());
    lead.clear();
    if (csv)
      append_csv_field(lead, cell);
    else
      for (char c : cell) lead += c == '\t' || c == '\r' || c == '\n' ? ' ' : c;
    if (centre.status != PairStatus::Distance) {
      if (csv) text += lead + ",,\r\n";
      continue;
    }
    const auto found = index.within(centre.place, s.radius, options.method, options.units);
    if (csv) {
      for (const Neighbour& n : found) {
        text += lead;
        text += ',';
        text += n.place->zip;
        text += ',';
        append_distance_text(text, n.distance, ".");
        text += "\r\n";
      }
    } else {
      append_lines(engine, options, centre.place, found, lead, lines, ends, text);
    }
    out.maybe_flush();
  }
  db.end_batch();
  if (header_due && !reader.failed()) write_header();
  out.flush();
  const std::string left_out = tally.left_out("Centres");
  if (!left_out.empty()) report(left_out);
  if (reader.failed()) return fault();
  return tally.total() > 0 && tally.count(PairStatus::Distance) == tally.total() ? kAllDistances
                                                                                 : kSomeWithout;
}

}  // namespace quorvane::cli
