#include "cli/augment.h"

#include <unistd.h>

#include <memory>
#include <optional>

#include "cli/augment_rows.h"
#include "cli/columns.h"
#include "cli/input.h"
#include "cli/open_engine.h"
#include "cli/places.h"
#include "engine/csv_reader.h"
#include "engine/error_trap.h"
#include "engine/regular_file.h"

namespace quorvane::cli {
namespace {

constexpr const char* kZipForms =
    "five digits, or as spreadsheets write them: 02134-1234, '02134, 2134";

// --delimiter: one character; \t or "tab" for a tab.
std::optional<char> delimiter_of(const std::string& text) {
  if (text == "\\t" || text == "tab") return '\t';
  if (text.size() != 1 || text[0] == '"' || text[0] == '\r' || text[0] == '\n') return {};
  return text[0];
}

// The input, opened: standard input for "-", otherwise a regular file.
class Input {
 public:
  explicit Input(const std::string& name) : name_(name == "-" ? "standard input" : name) {
    if (name != "-") file_ = std::make_unique<RegularFile>(name, "Cannot read " + name);
  }
  int fd() const { return file_ ? file_->fd() : STDIN_FILENO; }
  const std::string& name() const { return name_; }

 private:
  std::string name_;
  std::unique_ptr<RegularFile> file_;
};

// The columns of the first record, checked; false after a usage message.
bool lay_out(const AugmentSettings& s, std::span<const std::string_view> first,
             const std::string& source, AugmentLayout& layout) {
  const bool header = !s.no_header;
  const auto from = find_column(s.from, first, header);
  if (!from) {
    report(missing_column("--from", s.from, source, first, header));
    return false;
  }
  layout.from = *from;
  if (!s.to.empty()) {
    layout.to = find_column(s.to, first, header);
    if (!layout.to) {
      report(missing_column("--to", s.to, source, first, header));
      return false;
    }
  }
  return true;
}

}  // namespace

CLI::App* add_augment_command(CLI::App& app, AugmentSettings& s) {
  CLI::App* cmd = app.add_subcommand(
      "augment",
      "Writes a CSV or TSV table back, every row in order and unchanged, with the distance "
      "between two of its zip codes: the columns miles (km with --units km), status, "
      "from_zip and to_zip are added.");
  cmd->add_option("FILE", s.file, "The table; - reads standard input")->required()->type_name("");
  cmd->add_option("--from", s.from, "The column of the first zip code: a header name or a number")
      ->required()
      ->type_name("COL");
  auto* to = cmd->add_option("--to", s.to, "The column of the second zip code")->type_name("COL");
  cmd->add_option("--to-zip", s.to_zip, "The second zip code, the same for every row")
      ->type_name("ZIP")
      ->excludes(to);
  cmd->add_flag("--no-header", s.no_header,
                "The first line is a row like the others; columns are named by number");
  cmd->add_option("--delimiter", s.delimiter,
                  "The field delimiter (\\t or tab for a tab); by default the most frequent of "
                  "comma, tab, semicolon and pipe on the first line")
      ->type_name("C");
  cmd->add_option("--format", s.format,
                  "csv: the table with the input's delimiter, RFC 4180 (CR LF; the default); "
                  "jsonl: one JSON object per row, keyed by the header's names")
      ->check(CLI::IsMember({"csv", "jsonl"}));
  cmd->add_flag("--strict", s.strict,
                "Only five digits are a zip code: no cleaning of other ways of writing one");
  add_compare_options(*cmd, s.common, false);
  add_threads_option(*cmd, s.common);
  add_places_flag(*cmd, s.common.places);
  return cmd;
}

int augment(const AugmentSettings& s) {
  if (s.to.empty() == s.to_zip.empty()) {
    report("augment needs the second zip code: --to COL or --to-zip ZIP");
    return kError;
  }
  AugmentLayout layout;
  layout.strict = s.strict;
  layout.jsonl = s.format == "jsonl";
  const CompareOptions options = s.common.compare();
  layout.distance = options.units == Units::Kilometres ? "km" : "miles";
  if (!s.to_zip.empty()) {
    layout.to_zip = clean_zip(s.to_zip, s.strict);
    if (!layout.to_zip.ok()) {
      report("--to-zip " + s.to_zip + ": not a zip code (" + kZipForms + ")");
      return kError;
    }
  }
  CsvOptions csv;
  csv.max_record = kMaxLineBytes;
  if (!s.delimiter.empty()) {
    const std::optional<char> d = delimiter_of(s.delimiter);
    if (!d) {
      report("--delimiter " + s.delimiter +
             ": must be one character other than a quote or "
             "a line break (\\t or tab for a tab)");
      return kError;
    }
    csv.delimiter = *d;
  }
  OpenEngine db(s.common);
  if (!check_database(db.path())) return kError;

  std::optional<Input> input;
  try {
    input.emplace(s.file);
  } catch (const RuntimeError& e) {
    report(e.what());
    return kError;
  }
  CsvReader reader(CsvReader::from_fd(input->fd()), csv);
  const auto fault = [&] {
    report("Cannot read " + input->name() + ": " + reader.error());
    return kError;
  };
  if (!reader.next()) {
    if (reader.failed()) return fault();
    report(input->name() + " is empty: it has no rows");
    return kSomeWithout;
  }
  if (!lay_out(s, reader.fields(), input->name(), layout)) return kError;
  layout.delimiter = reader.delimiter();

  if (!db.open()) return kError;
  std::unique_ptr<PlaceTable> places;
  if (s.common.places && !(places = read_places(db.path(), "--places"))) return kError;
  layout.places = places.get();
  ZipDistance& engine = db.engine();
  Output out;
  AugmentRows rows(engine, options, layout, out, s.common.threads);
  if (s.no_header) {
    rows.no_header(reader.fields().size());
    rows.row(reader.fields(), reader.line());
  } else {
    rows.header(reader.fields());
  }
  if (rows.takes_unsplit_rows())
    while (reader.next_unsplit())
      rows.unsplit_row(reader.record_bytes(), reader.field_bounds(), reader.line());
  else
    while (reader.next()) rows.row(reader.fields(), reader.line());
  // A fault before the first row: no header alone that looks like an answer.
  if (reader.failed() && rows.rows() == 0) return fault();
  rows.finish();
  db.end_batch();
  out.flush();

  if (rows.rows() == 0) report(input->name() + " has no rows after its header");
  for (const std::string& line : rows.summary()) report(line);
  if (reader.failed()) return fault();
  return rows.with_distance() == rows.rows() && rows.rows() > 0 ? kAllDistances : kSomeWithout;
}

}  // namespace quorvane::cli
