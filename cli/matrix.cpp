#include "cli/matrix.h"

#include <algorithm>

#include "cli/input.h"
#include "cli/not_found.h"
#include "cli/open_engine.h"
#include "cli/output.h"
#include "cli/places.h"
#include "engine/text.h"
#include "format/csv.h"
#include "format/distance_matrix.h"
#include "format/place_columns.h"

namespace quorvane::cli {
namespace {

struct TooManyRows {};

// The rows of the matrix: every entry that passes run's numeric test, cut to its zip
// code; the others are left out, as they start no comparison in a run.
std::vector<std::string> matrix_rows(const MatrixSettings& s, bool& inputs_read) {
  const Separators& sep = s.common.separators;
  std::vector<std::string> zips;
  inputs_read = read_inputs(
      s.files,
      [&](std::string_view e) {
        if (!is_numeric(e, sep.decimal, sep.group)) return;
        if (zips.size() == kMaxMatrixRows) throw TooManyRows{};
        zips.push_back(zip_of_entry(e));
      },
      [] {});
  return zips;
}

// Some cell is empty when a zip code without a position meets one of another text.
bool some_cell_empty(const std::vector<std::string>& zips,
                     const std::vector<std::size_t>& unplaced) {
  if (unplaced.empty()) return false;
  return std::any_of(zips.begin(), zips.end(),
                     [&](const std::string& z) { return z != zips.front(); });
}

// Rows of the matrix with each row's place, state and kind of point after its zip code
// (the header gets their names there).
class PlacedRows {
 public:
  PlacedRows(const PlaceTable& places, const std::vector<std::string>& zips)
      : places_(places), zips_(zips) {}
  void add(std::string& out, std::string_view rows) {
    while (!rows.empty()) {
      const std::size_t end = rows.find("\r\n");
      const std::string_view line = rows.substr(0, end == rows.npos ? rows.size() : end + 2);
      rows.remove_prefix(line.size());
      std::size_t cut = 0;
      if (next_ == 0) {
        out += line.substr(0, cut);
        append_places_header(out, "");
      } else {
        field_.clear();
        append_csv_field(field_, zips_[next_ - 1]);
        cut = field_.size();
        out += field_;
        append_places_csv(out, places_, zips_[next_ - 1]);
      }
      out += line.substr(cut);
      ++next_;
    }
  }

 private:
  const PlaceTable& places_;
  const std::vector<std::string>& zips_;
  std::size_t next_ = 0;  // 0: the header
  std::string field_;
};

}  // namespace

CLI::App* add_matrix_command(CLI::App& app, MatrixSettings& s) {
  CLI::App* cmd =
      app.add_subcommand("matrix",
                         "Writes the distances between every two entries of a list as a CSV matrix "
                         "(at most 20,000 entries).");
  cmd->add_option("FILE", s.files,
                  "List files read as run reads them; none or - reads standard input. Each "
                  "numeric entry is a row and a column")
      ->type_name("");
  add_compare_options(*cmd, s.common, false);
  add_threads_option(*cmd, s.common);
  add_places_flag(*cmd, s.common.places);
  return cmd;
}

int matrix(const MatrixSettings& s) {
  OpenEngine db(s.common);
  if (!check_inputs(s.files) || !db.open()) return kError;
  const CompareOptions& options = db.options();
  std::unique_ptr<PlaceTable> places;
  if (s.common.places && !(places = read_places(db.path(), "--places"))) return kError;

  bool inputs_read = true;
  std::vector<std::string> zips;
  try {
    zips = matrix_rows(s, inputs_read);
  } catch (const TooManyRows&) {
    report("The list has more than " + std::to_string(kMaxMatrixRows) +
           " numeric entries, the most a matrix takes (400 million cells); "
           "run --reference compares a longer list with one zip code at a time");
    return kError;
  }
  if (zips.empty()) return inputs_read ? kAllDistances : kError;

  Output out;
  const MatrixOptions matrix_options{options.use2016, options.method, options.units,
                                     s.common.threads};
  std::optional<PlacedRows> placed;
  if (places) placed.emplace(*places, zips);
  const auto unplaced =
      write_distance_matrix(db.table(), zips, matrix_options, [&](std::string_view rows) {
        if (placed)
          placed->add(out.text(), rows);
        else
          out.text() += rows;
        out.maybe_flush();
      });
  db.end_batch();
  out.flush();
  const bool empty_cells = some_cell_empty(zips, unplaced);
  if (empty_cells) {
    NotFoundSummary not_found;
    for (std::size_t i : unplaced) not_found.add(zips[i]);
    report(not_found.text());
  }
  if (!inputs_read) return kError;
  return empty_cells ? kSomeWithout : kAllDistances;
}

}  // namespace quorvane::cli
