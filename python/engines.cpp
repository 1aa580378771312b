#include "python/engines.h"

#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <memory>

#include "engine/zip_table.h"

namespace quorvane::python {
namespace {

// A thread rarely uses more than a file or two; a program that goes through many
// files keeps only the last few.
constexpr std::size_t kMostFiles = 8;

ZipDistance& thread_engine(const std::string& path) {
  thread_local std::map<std::string, std::unique_ptr<ZipDistance>> engines;
  auto it = engines.find(path);
  if (it == engines.end()) {
    if (engines.size() >= kMostFiles) engines.clear();
    it = engines.emplace(path, std::make_unique<ZipDistance>(path)).first;
  }
  return *it->second;
}

}  // namespace

void set_program_folder(const std::string& folder) {
  set_access_reader_path((std::filesystem::path(folder) / "quorvane-access-reader").string());
}

Session::Session(const std::string& path, bool use2016) : engine_(thread_engine(path)) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
    throw DatabaseError("Cannot read the zip code database " + path + ": it is not a regular file");
  batch_.emplace(engine_);
  table_ = engine_.store().table(use2016);
  if (!table_)
    throw DatabaseError("Cannot read the zip code database " + path + ": " +
                        engine_.store().error(use2016));
}

}  // namespace quorvane::python
