#pragma once
// The zip code database beside the program, read once per table and kept in memory
// while the file is unchanged. Lookups are grouped into batches (a run is one batch):
// the file is checked for changes when a batch starts, and a database that cannot be
// read is reported once per batch, not once per lookup, and read again only once the
// file has changed.
#include <memory>
#include <string>

#include "engine/zip_table.h"

namespace quorvane {

class ZipIndex;

class ZipStore {
 public:
  explicit ZipStore(std::string path) : path_(std::move(path)) {}

  // A store for another thread: it serves the tables `reader` has tried to read, as they
  // are (unreadable ones included), without checking the file again; it stays in a batch.
  static ZipStore sharing(const ZipStore& reader);
  const std::string& path() const { return path_; }

  // Serves a table's lookups from rows read some other way (a few rows of the file's
  // table, read by key) for as long as the file stays unchanged.
  void adopt(bool use2016, std::unique_ptr<ZipTable> table);

  void begin_batch();
  void end_batch() { in_batch_ = false; }
  bool in_batch() const { return in_batch_; }

  // The table, loaded on first use; nullptr when it cannot be read (see error()).
  const ZipTable* table(bool use2016) {
    const int i = use2016 ? 1 : 0;
    if (!tried_[i]) load(i);
    return tables_[i].get();
  }
  const std::string& error(bool use2016) const { return errors_[use2016 ? 1 : 0]; }

  // The table's spatial index (zip_index.h), built on first use and dropped with the
  // table; nullptr when the table cannot be read.
  const ZipIndex* index(bool use2016);

  // True once per batch for each kind of failure (a small number) and table: the
  // caller reports that failure the first time only.
  bool take_report_slot(unsigned kind, bool use2016);
  // Every failure may be reported again.
  void clear_report_slots() { reported_ = 0; }

 private:
  struct Identity {
    unsigned long long dev = 0, ino = 0, size = 0, mtime_ns = 0, ctime_ns = 0;
    bool exists = false;
    bool operator==(const Identity&) const = default;
  };
  void load(int i);
  static Identity identify(const std::string& path);

  std::string path_;
  Identity identity_;
  std::shared_ptr<const ZipTable> tables_[2];   // shared with stores for other threads
  std::shared_ptr<const ZipIndex> indexes_[2];  // shared_ptr: deletes an incomplete type
  std::string errors_[2];
  bool tried_[2] = {false, false};
  bool in_batch_ = false;
  unsigned reported_ = 0;  // a bit per kind and table
};

}  // namespace quorvane
