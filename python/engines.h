#pragma once
// The module's engines: one per thread and database file, so that threads that have let
// go of the interpreter lock compare at the same time, each with its own copy of the
// table, and a call never waits for another.
#include <optional>
#include <stdexcept>
#include <string>

#include "engine/zip_distance.h"

namespace quorvane::python {

// A database that cannot be read; the text is the command line's message.
class DatabaseError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Where quorvane-access-reader lies, for Access databases.
void set_program_folder(const std::string& folder);

// The calling thread's engine for one database file, with its table read and a batch
// open for as long as the session lasts (one database check per call). Throws
// DatabaseError when the file or its table cannot be read.
class Session {
 public:
  Session(const std::string& path, bool use2016);
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  ZipDistance& engine() { return engine_; }
  const ZipTable& table() const { return *table_; }

 private:
  ZipDistance& engine_;
  std::optional<ZipDistance::Batch> batch_;
  const ZipTable* table_ = nullptr;
};

}  // namespace quorvane::python
