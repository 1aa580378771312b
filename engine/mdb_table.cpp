// Reads Access/Jet files (Jet 3, Jet 4, ACE) through mdbtools' libmdb. This runs in the
// reader process only: a damaged file can make libmdb loop or crash.
#include "engine/mdb_table.h"

#include <glib.h>
#include <mdbtools.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "engine/error_trap.h"
#include "engine/regular_file.h"

namespace quorvane {
namespace {

struct MdbCloser {
  void operator()(MdbHandle* h) const { mdb_close(h); }
};
struct TableCloser {
  void operator()(MdbTableDef* t) const { mdb_free_tabledef(t); }
};

bool is_numeric_type(int t) {
  switch (t) {
    case MDB_BOOL:
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT:
    case MDB_MONEY:
    case MDB_FLOAT:
    case MDB_DOUBLE:
    case MDB_NUMERIC:
    case MDB_COMPLEX:
      return true;
    default:
      return false;
  }
}

struct Bound {
  std::vector<char> buf;
  int len = 0;
  bool numeric = false;
  std::string scratch;

  Cell cell() {
    Cell c;
    if (numeric) {
      if (len <= 0) return c;
      // Some builds format decimals with the locale's comma; read them with a point.
      scratch.assign(buf.data(), static_cast<std::size_t>(len));
      std::replace(scratch.begin(), scratch.end(), ',', '.');
      c.type = Cell::Text;
      c.text = scratch;
      return c;
    }
    c.type = Cell::Text;
    c.text = std::string_view(buf.data(), static_cast<std::size_t>(std::max(len, 0)));
    return c;
  }
};

}  // namespace

void read_mdb_table(const std::string& path, const TableSpec& layout, RowFn fn, void* ctx) {
  // Access files are whole pages (2 KB for Jet 3, 4 KB after); a file cut short is
  // damaged, and libmdb would read past its end for ever.
  const RegularFile file(path, "Cannot read the Access database " + path);
  struct stat st {};
  char version = 0;
  if (::fstat(file.fd(), &st) != 0 || ::pread(file.fd(), &version, 1, 0x14) != 1)
    throw RuntimeError(3343, "The Access database " + path + " is damaged: it is cut short");
  const long long page = version == 0 ? 2048 : 4096;
  if (st.st_size < 2 * page || st.st_size % page != 0)
    throw RuntimeError(3343, "The Access database " + path + " is damaged: it is cut short");
  std::unique_ptr<MdbHandle, MdbCloser> mdb(mdb_open(path.c_str(), MDB_NOFLAGS));
  if (!mdb) throw RuntimeError(3343, "Cannot open the Access database");
  if (!mdb_read_catalog(mdb.get(), MDB_TABLE))
    throw RuntimeError(3343, "Cannot read the Access database's catalog");
  std::unique_ptr<MdbTableDef, TableCloser> table(
      mdb_read_table_by_name(mdb.get(), const_cast<gchar*>(layout.table.c_str()), MDB_TABLE));
  if (!table) throw RuntimeError(3078, "Cannot find the input table '" + layout.table + "'");
  mdb_read_columns(table.get());
  mdb_rewind_table(table.get());

  const std::string* names[3] = {&layout.key_column, &layout.lat_column, &layout.lon_column};
  // A column is bound once; fields that name the same column share its buffer.
  Bound bound[3];
  int source[3] = {0, 1, 2};
  int column_of[3] = {-1, -1, -1};
  for (int i = 0; i < 3; ++i) {
    for (unsigned c = 0; c < table->num_cols; ++c) {
      auto* col = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, c));
      if (strcasecmp(col->name, names[i]->c_str()) == 0) {
        column_of[i] = static_cast<int>(c);
        bound[i].numeric = is_numeric_type(col->col_type);
        break;
      }
    }
    if (column_of[i] < 0)
      throw RuntimeError(3265, "Item cannot be found: column '" + *names[i] + "'");
    for (int j = 0; j < i; ++j)
      if (column_of[j] == column_of[i]) source[i] = source[j];
    if (source[i] != i) continue;
    bound[i].buf.assign(MDB_BIND_SIZE + 1, 0);
    mdb_bind_column(table.get(), column_of[i] + 1, bound[i].buf.data(), &bound[i].len);
  }
  while (mdb_fetch_row(table.get())) {
    Cell key = bound[source[0]].cell();
    Cell lat = bound[source[1]].cell();
    Cell lon = bound[source[2]].cell();
    fn(ctx, key, lat, lon);
  }
}

}  // namespace quorvane
