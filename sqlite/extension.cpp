// The SQLite loadable extension: zip_distance(a, b [, database [, method [, units]]]),
// zip_latitude(zip [, database]) and zip_longitude(zip [, database]), all deterministic.
// A NULL argument gives NULL; a choice the command line would refuse, or a database it
// cannot read, is an SQL error with the command line's message.
#include <sqlite3ext.h>

#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

#include "engine/zip_table.h"
#include "sqlite/functions.h"

SQLITE_EXTENSION_INIT1

namespace quorvane::sqlite {
namespace {

using Shared = std::shared_ptr<Zips>;

std::string_view text(sqlite3_value* v) {
  const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
  return p ? std::string_view(p, static_cast<std::size_t>(sqlite3_value_bytes(v)))
           : std::string_view();
}

// The argument `i` when given, as the command line's option of that name takes it;
// false, with the error set, when it is not one of `allowed`.
bool choose(sqlite3_context* ctx, int argc, sqlite3_value** argv, int i, const char* option,
            std::initializer_list<std::string_view> allowed, std::string_view& chosen) {
  if (i >= argc) return true;
  const std::string_view value = text(argv[i]);
  for (std::string_view a : allowed)
    if (value == a) {
      chosen = a;
      return true;
    }
  std::string list;
  for (std::string_view a : allowed) list += (list.empty() ? "" : ",") + std::string(a);
  const std::string message =
      std::string(option) + ": " + std::string(value) + " not in {" + list + "}";
  sqlite3_result_error(ctx, message.c_str(), -1);
  return false;
}

bool any_null(int argc, sqlite3_value** argv) {
  for (int i = 0; i < argc; ++i)
    if (sqlite3_value_type(argv[i]) == SQLITE_NULL) return true;
  return false;
}

template <class F>
void answer(sqlite3_context* ctx, F&& f) {
  try {
    if (const std::optional<double> v = f())
      sqlite3_result_double(ctx, *v);
    else
      sqlite3_result_null(ctx);
  } catch (const std::bad_alloc&) {
    sqlite3_result_error_nomem(ctx);
  } catch (const std::exception& e) {
    sqlite3_result_error(ctx, e.what(), -1);
  }
}

void zip_distance(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (any_null(argc, argv)) return sqlite3_result_null(ctx);
  std::string_view database = "2016", method = "sphere", units = "mi";
  if (!choose(ctx, argc, argv, 2, "--database", {"2016", "2012"}, database) ||
      !choose(ctx, argc, argv, 3, "--method", {"sphere", "geodesic"}, method) ||
      !choose(ctx, argc, argv, 4, "--units", {"mi", "km"}, units))
    return;
  CompareOptions options;
  options.use2016 = database == "2016";
  options.method = method == "geodesic" ? Method::Geodesic : Method::Sphere;
  options.units = units == "km" ? Units::Kilometres : Units::Miles;
  Zips& zips = **static_cast<Shared*>(sqlite3_user_data(ctx));
  const std::string_view a = text(argv[0]), b = text(argv[1]);
  answer(ctx, [&] { return zips.distance(a, b, options); });
}

template <bool kLatitude>
void zip_coordinate(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (any_null(argc, argv)) return sqlite3_result_null(ctx);
  std::string_view database = "2016";
  if (!choose(ctx, argc, argv, 1, "--database", {"2016", "2012"}, database)) return;
  Zips& zips = **static_cast<Shared*>(sqlite3_user_data(ctx));
  const std::string_view zip = text(argv[0]);
  answer(ctx, [&] { return zips.coordinate(zip, database == "2016", kLatitude); });
}

void release(void* p) {
  delete static_cast<Shared*>(p);
}

int define(sqlite3* db, const char* name, int argc, const Shared& zips,
           void (*fn)(sqlite3_context*, int, sqlite3_value**)) {
  return sqlite3_create_function_v2(db, name, argc, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
                                    new Shared(zips), fn, nullptr, nullptr, release);
}

}  // namespace
}  // namespace quorvane::sqlite

extern "C" __attribute__((visibility("default"))) int sqlite3_quorvanesqlite_init(
    sqlite3* db, char** error, const sqlite3_api_routines* api) {
  SQLITE_EXTENSION_INIT2(api);
  using namespace quorvane::sqlite;
  try {
    const std::filesystem::path folder = extension_folder();
    quorvane::set_access_reader_path((folder / "quorvane-access-reader").string());
    const char* env = std::getenv("QUORVANE_DB");
    const auto zips =
        std::make_shared<Zips>(env && *env ? std::string(env) : (folder / "dbZips.mdb").string());
    int rc = SQLITE_OK;
    for (int argc = 2; argc <= 5 && rc == SQLITE_OK; ++argc)
      rc = define(db, "zip_distance", argc, zips, zip_distance);
    for (int argc = 1; argc <= 2 && rc == SQLITE_OK; ++argc) {
      rc = define(db, "zip_latitude", argc, zips, zip_coordinate<true>);
      if (rc == SQLITE_OK) rc = define(db, "zip_longitude", argc, zips, zip_coordinate<false>);
    }
    return rc;
  } catch (const std::exception& e) {
    if (error) *error = sqlite3_mprintf("%s", e.what());
    return SQLITE_ERROR;
  }
}
