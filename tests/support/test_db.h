#pragma once
// Small SQLite zip code databases for tests, and a capture of error-trap reports.
#include <string>
#include <vector>

#include "engine/error_trap.h"

namespace quorvane::test {

// A fresh folder under the system's temporary folder, removed when destroyed.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Runs SQL statements against a new SQLite file; fails the test on an error.
void make_sqlite(const std::string& path, const std::string& sql);

// The two zip tables, with rows given as "zip, lat, lon" SQL value lists.
void make_zip_db(const std::string& path, const std::vector<std::string>& rows2012,
                 const std::vector<std::string>& rows2016);

void write_file(const std::string& path, const std::string& bytes);

// Collects every report of the error trap while alive.
class CapturedReports {
 public:
  CapturedReports();
  ~CapturedReports();
  const std::vector<TrapReport>& reports() const { return reports_; }
  std::size_t size() const { return reports_.size(); }
  void clear() { reports_.clear(); }

 private:
  std::vector<TrapReport> reports_;
  TrapReporter previous_;
};

}  // namespace quorvane::test
