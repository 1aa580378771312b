#pragma once
// A small zip code database shared by the command-line tests, and calls of the program
// against it.
#include <gtest/gtest.h>

#include <memory>

#include "tests/cli/cli_process.h"
#include "tests/support/test_db.h"

namespace quorvane::test {

class Cli : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = std::make_unique<TempDir>();
    const std::vector<std::string> places = {
        "'03053', 42.8681, -71.3998", "'92018', 33.1581, -117.3506", "'60628', 41.6934, -87.6132",
        "'10001', 40.7506, -73.9972", "'90210', 34.0901, -118.4065", "'98101', 47.6114, -122.3305",
        "'33101', 25.7791, -80.1978",
        // GeographicLib's own test cases (first points and second points)
        "'00001', 35.60777, -139.44815", "'00002', -11.17491, -69.95921",
        "'00003', 55.52454, 106.05087", "'00004', 77.03196, 197.18234",
        "'00005', -21.97856, 142.59065", "'00006', 41.84138, 98.56635"};
    std::vector<std::string> rows2012 = places;
    rows2012.push_back("34001, 0, 0");  // a military zip code, as published
    make_zip_db(db(), rows2012, places);
  }
  static void TearDownTestSuite() { dir_.reset(); }

  static std::string db() { return dir_->file("zips.db"); }
  static std::string file(const std::string& name, const std::string& bytes) {
    const std::string path = dir_->file(name);
    write_file(path, bytes);
    return path;
  }

  // The program against the test database.
  static Outcome cli(std::vector<std::string> args, std::string input = {},
                     Stdout out = Stdout::Capture) {
    args.push_back("--db");
    args.push_back(db());
    return run_cli({std::move(args), std::move(input), out, {}});
  }

 private:
  static inline std::unique_ptr<TempDir> dir_;
};

}  // namespace quorvane::test
