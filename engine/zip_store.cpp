#include "engine/zip_store.h"

#include <sys/stat.h>

#include "engine/error_trap.h"
#include "engine/table_file.h"
#include "engine/zip_index.h"

namespace quorvane {

void ZipStore::adopt(bool use2016, std::unique_ptr<ZipTable> table) {
  const Identity now = identify(path_);
  if (!(now == identity_)) {
    identity_ = now;
    for (int i = 0; i < 2; ++i) {
      indexes_[i].reset();
      tables_[i].reset();
      errors_[i].clear();
      tried_[i] = false;
    }
  }
  const int i = use2016 ? 1 : 0;
  indexes_[i].reset();  // it reads the table it was built on
  tables_[i] = std::move(table);
  errors_[i].clear();
  tried_[i] = true;
}

ZipStore ZipStore::sharing(const ZipStore& reader) {
  ZipStore s(reader.path_);
  s.identity_ = reader.identity_;
  for (int i = 0; i < 2; ++i) {
    s.tables_[i] = reader.tables_[i];
    s.errors_[i] = reader.errors_[i];
    s.tried_[i] = reader.tried_[i];  // a table not tried yet is read as usual
  }
  s.in_batch_ = true;
  return s;
}

ZipStore::Identity ZipStore::identify(const std::string& path) {
  Identity id;
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return id;
  id.exists = true;
  id.dev = st.st_dev;
  id.ino = st.st_ino;
  id.size = static_cast<unsigned long long>(st.st_size);
  id.mtime_ns = static_cast<unsigned long long>(st.st_mtim.tv_sec) * 1000000000ULL +
                static_cast<unsigned long long>(st.st_mtim.tv_nsec);
  // A change that puts the modification time back still moves the change time.
  id.ctime_ns = static_cast<unsigned long long>(st.st_ctim.tv_sec) * 1000000000ULL +
                static_cast<unsigned long long>(st.st_ctim.tv_nsec);
  return id;
}

void ZipStore::begin_batch() {
  in_batch_ = true;
  reported_ = 0;
  const Identity now = identify(path_);
  // A replaced, changed or removed file drops what was read and is tried afresh. A file
  // that failed stays failed until it changes: reading a damaged one again would cost
  // the reader's time and memory limits at every run.
  if (!(now == identity_) || !now.exists) {
    identity_ = now;
    for (int i = 0; i < 2; ++i) {
      tables_[i].reset();
      indexes_[i].reset();
      errors_[i].clear();
      tried_[i] = false;
    }
  }
}

void ZipStore::load(int i) {
  tried_[i] = true;
  indexes_[i].reset();
  if ((tables_[i] = read_table_file(path_, i == 1))) {
    errors_[i].clear();
    return;
  }
  try {
    tables_[i] = load_table(path_, zip_table_spec(i == 1));
    errors_[i].clear();
  } catch (const std::exception& e) {
    tables_[i].reset();
    errors_[i] = e.what();
  }
}

const ZipIndex* ZipStore::index(bool use2016) {
  const ZipTable* t = table(use2016);
  auto& index = indexes_[use2016 ? 1 : 0];
  if (t && !index) index = std::make_shared<const ZipIndex>(*t);
  return index.get();
}

bool ZipStore::take_report_slot(unsigned kind, bool use2016) {
  const unsigned bit = 1u << (kind * 2 + (use2016 ? 1 : 0));
  if (reported_ & bit) return false;
  reported_ |= bit;
  return true;
}

}  // namespace quorvane
