#include "cli/info.h"

#include "cli/open_engine.h"
#include "cli/output.h"
#include "engine/db_info.h"

namespace quorvane::cli {
namespace {

std::string or_unknown(const std::string& text) {
  return text.empty() ? "unknown" : text;
}

void append_table(std::string& out, const char* option, const TableInfo& t) {
  out += "\ntable " + t.name + " (--database " + option + ")\n";
  out += "  rows: " + (t.readable ? std::to_string(t.rows) : "unreadable: " + t.error) + "\n";
  out += "  source: " + or_unknown(t.source) + "\n";
  out += "  vintage: " + or_unknown(t.vintage) + "\n";
  out += "  licence: " + or_unknown(t.licence) + "\n";
}

}  // namespace

CLI::App* add_info_command(CLI::App& app, Settings& s) {
  CLI::App* cmd = app.add_subcommand(
      "info",
      "Describes the database file and each of its tables: source, vintage, licence "
      "and row count.");
  add_database_options(*cmd, s);
  return cmd;
}

int info(const Settings& s) {
  const std::optional<std::string> checked = checked_database_path(s);
  if (!checked) return kError;
  const std::string& path = *checked;
  const DatabaseInfo db = describe_database(path);
  if (db.format.empty()) {
    report("Cannot read the zip code database " + path + ": " + db.error);
    return kError;
  }
  Output out;
  std::string& text = out.text();
  text += "database: " + path + "\n";
  text += "format: " + db.format + "\n";
  append_table(text, "2016", db.table2016);
  append_table(text, "2012", db.table2012);
  out.flush();
  return db.table2016.readable && db.table2012.readable ? kAllDistances : kError;
}

}  // namespace quorvane::cli
