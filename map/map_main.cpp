// quorvane-map: draws the maps of `quorvane-cli map`, which runs it with its own
// arguments. A program of its own, so that the command line never loads Qt.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <QGuiApplication>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <optional>

#include "cli/common.h"
#include "cli/input.h"
#include "cli/open_engine.h"
#include "engine/error_trap.h"
#include "engine/text.h"
#include "map/map_request.h"
#include "map/png_painter.h"
#include "map/svg_writer.h"
#include "map/write_beside.h"

namespace {

using namespace quorvane;
using namespace quorvane::map;

CLI::App* add_options(CLI::App& app, MapSettings& s) {
  app.add_option("LIST", s.files,
                 "List files, one zip code per line, read as run reads them (none or - reads "
                 "standard input): a point per zip code, a leg per comparison")
      ->type_name("");
  app.add_option("--reference", s.reference, "Compares every entry of the list with this zip code")
      ->type_name("ZIP");
  app.add_option("--within", s.within,
                 "The centre, the ring of that radius (in km with --units km) and the zip codes "
                 "inside it")
      ->expected(2)
      ->type_name("ZIP MILES");
  app.add_flag("--all", s.all, "Every zip code of the table as a dot");
  cli::AssignSettings& a = s.assign;
  CLI::Option* assign =
      app.add_option("--assign", a.customers,
                     "A customers' table, read as assign reads it: each customer in the colour "
                     "of its nearest store (--to), with a spoke to it")
          ->type_name("CUSTOMERS");
  CLI::Option* to = app.add_option("--to", a.stores, "The stores of --assign, each its own colour")
                        ->type_name("STORES");
  assign->needs(to);
  to->needs(assign);
  CLI::Option* from =
      app.add_option("--from", a.from, "The customers' zip code column: a header name or a number")
          ->type_name("COL");
  CLI::Option* lat =
      app.add_option("--lat", a.lat, "The customers' latitude column, instead of --from")
          ->type_name("COL");
  CLI::Option* lon =
      app.add_option("--lon", a.lon, "The customers' longitude column")->type_name("COL");
  lat->needs(lon)->excludes(from);
  lon->needs(lat)->excludes(from);
  CLI::Option* to_column =
      app.add_option("--to-column", a.to_column, "The stores' zip code column (default the first)")
          ->type_name("COL");
  CLI::Option* no_header =
      app.add_flag("--no-header", a.no_header, "The customers' table has no header line");
  CLI::Option* delimiter =
      app.add_option("--delimiter", a.delimiter,
                     "The tables' field delimiter (default: found from the first line)")
          ->type_name("C")
          ->check(
              [](const std::string& d) { return d.size() == 1 ? "" : "Must be one character."; });
  for (CLI::Option* o : {from, lat, lon, to_column, no_header, delimiter}) o->needs(assign);
  app.add_option("--output", s.output, "The picture to write: FILE.svg or FILE.png")
      ->required()
      ->type_name("FILE");
  app.add_option("--size",
                 "The picture's size in pixels, each from 100 to 10000 (default 1200x760)")
      ->type_name("WxH")
      ->check(CLI::Validator(
          [&s](std::string& text) -> std::string {
            int w = 0, h = 0;
            char end = 0;
            if (std::sscanf(text.c_str(), "%dx%d%c", &w, &h, &end) == 2 && w >= 100 && w <= 10000 &&
                h >= 100 && h <= 10000) {
              s.width = w, s.height = h;
              return {};
            }
            return "Must be WIDTHxHEIGHT in pixels, each from 100 to 10000.";
          },
          "", ""));
  cli::add_compare_options(app, s.common, false);
  return &app;
}

// The usage errors the options alone do not catch; one message each.
bool check(const MapSettings& s) {
  const bool assign = !s.assign.customers.empty();
  const int kinds = !s.files.empty() + !s.within.empty() + s.all + assign;
  if (kinds > 1 || (!s.reference.empty() && (s.all || !s.within.empty() || assign))) {
    cli::report(
        "Give one of: a list (with or without --reference), --within ZIP MILES, --assign "
        "CUSTOMERS --to STORES, --all");
    return false;
  }
  if (assign && s.assign.from.empty() && s.assign.lat.empty()) {
    cli::report(
        "--assign needs the customers' zip code column (--from COL) or their position "
        "(--lat COL --lon COL)");
    return false;
  }
  if (assign && s.assign.customers == "-" && s.assign.stores == "-") {
    cli::report("Only one of the customers' table and the store file can be standard input");
    return false;
  }
  if (!s.within.empty()) {
    double r = -1;
    if (!CLI::detail::lexical_cast(s.within[1], r) || !std::isfinite(r) || r < 0) {
      cli::report("--within " + s.within[0] + " " + s.within[1] +
                  ": the radius must be a finite number of at least 0");
      return false;
    }
  }
  if (!s.reference.empty() && zip_of_entry(s.reference).empty()) {
    cli::report("--reference " + s.reference + ": Must be numeric.");
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  cli::take_locale_separators();
  cli::report_traps();
  CLI::App app(
      "Draws a map of zip codes: a list's points and legs, a ring, customers and their "
      "nearest stores, or the table.",
      "quorvane-cli map");
  MapSettings s;
  add_options(app, s);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() != 0) {
      cli::report(std::string(e.what()) + " (quorvane-cli map --help tells more)");
      return cli::kError;
    }
    return app.exit(e);
  }
  try {
    if (!check(s)) return cli::kError;
    const std::string ext = std::filesystem::path(s.output).extension().string();
    const bool png = ext == ".png" || ext == ".PNG";
    if (!png && ext != ".svg" && ext != ".SVG") {
      cli::report("--output " + s.output + ": the file's name must end in .svg or .png");
      return cli::kError;
    }
    // The picture is written beside its place and moved there when whole.
    std::optional<WriteBeside> file;
    try {
      file.emplace(s.output);
    } catch (const std::runtime_error& e) {
      cli::report(e.what());
      return cli::kError;
    }
    const std::string db = s.common.database_path();
    if ((s.all || !s.within.empty() || !s.assign.customers.empty() || cli::check_inputs(s.files)) ==
            false ||
        !cli::check_database(db))
      return cli::kError;
    const Outlines outlines = read_outlines(outlines_path());
    ZipDistance engine(db);
    engine.set_decimal_separator(s.common.separators.decimal);
    std::optional<ZipDistance::Batch> batch(std::in_place, engine);
    if (!cli::table_readable(engine, s.common.compare().use2016)) return cli::kError;
    Scene scene;
    scene.width = s.width, scene.height = s.height;
    scene.outlines = &outlines;
    const int status = make_scene(engine, s, scene);
    batch.reset();
    if (status == cli::kError) return status;
    scene.lay_out();
    if (png) {
      qputenv("QT_QPA_PLATFORM", "offscreen");
      // Qt's own notes (a missing runtime folder and the like) are not the user's concern.
      qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
      int qt_argc = 1;
      QGuiApplication qt(qt_argc, argv);
      const QByteArray bytes = png_bytes(scene);
      if (bytes.isEmpty()) {
        cli::report("Cannot draw a picture of " + std::to_string(s.width) + "x" +
                    std::to_string(s.height) + " pixels: too little memory");
        return cli::kError;
      }
      file->write(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    } else {
      file->write(svg_text(scene));
    }
    file->commit();
    return status;
  } catch (const std::exception& e) {
    cli::report(e.what());
    return cli::kError;
  }
}
