#include "zip_store.h"

#include <sys/stat.h>

#include "error_trap.h"

namespace quorvane {

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
  reported_ = false;
  const Identity now = identify(path_);
  // A replaced, changed or removed file drops what was read and is tried afresh. A file
  // that failed stays failed until it changes: reading a damaged one again would cost
  // the reader's time and memory limits at every run.
  if (!(now == identity_) || !now.exists) {
    identity_ = now;
    for (int i = 0; i < 2; ++i) {
      tables_[i].reset();
      errors_[i].clear();
      tried_[i] = false;
    }
  }
}

void ZipStore::load(int i) {
  tried_[i] = true;
  try {
    tables_[i] = load_table(path_, zip_table_spec(i == 1));
    errors_[i].clear();
  } catch (const std::exception& e) {
    tables_[i].reset();
    errors_[i] = e.what();
  }
}

bool ZipStore::take_report_slot() {
  if (reported_) return false;
  reported_ = true;
  return true;
}

}  // namespace quorvane
