// quorvane-cli assign against a scan of every store with the engine's own distances,
// within --centres against one call per centre, and the bad input of both.
#include <algorithm>
#include <map>
#include <random>

#include "engine/fast_distance.h"
#include "engine/text.h"
#include "engine/zip_clean.h"
#include "engine/zip_distance.h"
#include "tests/cli/cli_fixture.h"

namespace quorvane::test {
namespace {

// Random places around a city, some sharing a position (ties), some with zero
// coordinates; customers and stores drawn from them, with cells that need cleaning and
// cells that cannot be used.
struct RandomTables {
  std::vector<std::string> zips;  // with a position
  std::string customers = "id,zip\n", stores = "zip,name\n";
  std::vector<std::string> customer_cells, store_cells, store_names;
};

RandomTables random_tables(const std::string& db, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> lat(41.5, 42.5), lon(-72.5, -71.0);
  RandomTables t;
  std::vector<std::string> rows;
  for (int i = 0; i < 120; ++i) {
    const std::string zip = std::to_string(10100 + i);
    char row[96];
    const double a = lat(random), o = lon(random);
    std::snprintf(row, sizeof row, "'%s', %.6f, %.6f", zip.c_str(), a, o);
    // Every tenth shares the position of the one before it: ties.
    rows.push_back(i % 10 == 9 ? "'" + zip + rows.back().substr(6) : std::string(row));
    t.zips.push_back(zip);
  }
  rows.push_back("'10090', 0, -71.5");  // zero coordinates
  make_zip_db(db, rows, rows);
  const auto pick = [&](std::size_t n) { return t.zips[random() % n]; };
  for (int i = 0; i < 25; ++i) {
    std::string cell = pick(t.zips.size());
    if (i % 6 == 5) cell = t.store_cells.back();  // a second store in the same zip code
    t.store_cells.push_back(cell);
    t.store_names.push_back("store " + std::to_string(i));
  }
  for (const char* bad : {"abc", "99999", "10090"}) {
    t.store_cells.push_back(bad);
    t.store_names.push_back(std::string("bad ") + bad);
  }
  for (std::size_t i = 0; i < t.store_cells.size(); ++i)
    t.stores += t.store_cells[i] + "," + t.store_names[i] + "\n";
  for (int i = 0; i < 150; ++i) {
    std::string cell = pick(t.zips.size());
    if (i % 7 == 1) cell = "'" + cell;
    if (i % 7 == 2) cell += "-1234";
    if (i % 25 == 3) cell = i % 2 ? "99999" : "10090";
    if (i % 25 == 4) cell = "";
    t.customer_cells.push_back(cell);
    t.customers += std::to_string(i) + "," + cell + "\n";
  }
  return t;
}

// What a scan of every store gives, with the engine's distance for each pair.
std::string scanned(const std::string& db, const RandomTables& t, std::size_t k, Method method) {
  set_fast_route(false);
  ZipDistance engine(db);
  CompareOptions options;
  options.method = method;
  std::string out = "id,zip,rank,store_zip,name,miles,status\r\n";
  for (std::size_t c = 0; c < t.customer_cells.size(); ++c) {
    const std::string lead = std::to_string(c) + "," + t.customer_cells[c] + ",";
    const CleanZip from = clean_zip(t.customer_cells[c]);
    const std::string status = !from.ok()              ? "not-a-zip"
                               : from.zip() == "99999" ? "not-in-table"
                               : from.zip() == "10090" ? "zero-coordinates"
                                                       : "";
    if (!status.empty()) {
      out += lead + ",,,," + status + "\r\n";
      continue;
    }
    struct Hit {
      double miles;
      std::string zip;
      std::size_t store;
    };
    std::vector<Hit> hits;
    for (std::size_t s = 0; s < t.store_cells.size(); ++s) {
      const ZipPair pair{from.zip(), t.store_cells[s]};
      PairResult r;
      engine.compare(std::span(&pair, 1), options, std::span(&r, 1), LineOutput{});
      if (r.status == PairStatus::Distance) hits.push_back({r.distance, t.store_cells[s], s});
    }
    std::sort(hits.begin(), hits.end(), [](const Hit& a, const Hit& b) {
      return std::tie(a.miles, a.zip, a.store) < std::tie(b.miles, b.zip, b.store);
    });
    for (std::size_t r = 0; r < std::min(k, hits.size()); ++r) {
      out += lead + std::to_string(r + 1) + "," + hits[r].zip + "," + t.store_names[hits[r].store] +
             ",";
      append_distance_text(out, hits[r].miles, ".");
      out += ",\r\n";
    }
  }
  return out;
}

TEST(CliAssign, EqualsAScanOfEveryStore) {
  TempDir dir;
  const std::string db = dir.file("random.db");
  const RandomTables t = random_tables(db, 20);
  write_file(dir.file("customers.csv"), t.customers);
  write_file(dir.file("stores.csv"), t.stores);
  for (const std::size_t k : {1, 3, 40})  // 40: more than the 25 usable stores
    for (const Method method : {Method::Sphere, Method::Geodesic}) {
      const std::string m = method == Method::Sphere ? "sphere" : "geodesic";
      const Outcome o =
          run_cli({{"assign", dir.file("customers.csv"), "--to", dir.file("stores.csv"), "--from",
                    "zip", "--count", std::to_string(k), "--method", m, "--db", db},
                   {},
                   Stdout::Capture,
                   {}});
      EXPECT_EQ(o.out, scanned(db, t, k, method)) << k << " " << m;
      EXPECT_EQ(o.status, 1);
      EXPECT_NE(o.err.find("Stores left out: 1 not-in-table (first: '99999', line 28), 1 "
                           "zero-coordinates (first: '10090', line 29), 1 not-a-zip (first: "
                           "'abc', line 27)\n"),
                std::string::npos)
          << o.err;
      EXPECT_NE(o.err.find("Rows not-a-zip: "), std::string::npos) << o.err;
    }
}

TEST_F(Cli, WithinCentresEqualsOneCallPerCentre) {
  const std::string centres = file(
      "centres.csv", "id,zip\r\n1,03053\r\n2,'92018\r\n3,\"60628-1234\"\r\n4,99999\r\n5,abc\r\n");
  const struct {
    std::string cell, zip;
  } listed[] = {{"03053", "03053"}, {"'92018", "92018"}, {"60628-1234", "60628"}};
  for (const std::string format : {"csv", "lines"}) {
    const Outcome all =
        cli({"within", "--centres", centres, "--column", "ZIP", "3000", "-f", format});
    std::string want = format == "csv" ? "centre,zip,miles\r\n" : "";
    for (const auto& c : listed) {
      const Outcome one = cli({"within", c.zip, "3000", "-f", format});
      std::istringstream lines(one.out);
      std::string line;
      if (format == "csv") std::getline(lines, line);  // its header
      while (std::getline(lines, line)) {
        if (format == "csv")  // zip1,zip2,miles,status
          want += c.cell + line.substr(5, line.rfind(',') - 5) + "\r\n";
        else
          want += c.cell + "\t" + line + "\n";
      }
    }
    if (format == "csv") want += "99999,,\r\nabc,,\r\n";
    EXPECT_EQ(all.out, want) << format;
    EXPECT_EQ(all.status, 1);
    EXPECT_EQ(all.err,
              "quorvane-cli: Centres left out: 1 not-in-table (first: '99999', line 5), 1 "
              "not-a-zip (first: 'abc', line 6)\n");
  }
}

TEST_F(Cli, NearestPointsEqualsOneCallPerPoint) {
  const std::string points =
      file("points.tsv", "name\tLon\tLat\nA\t-118\t34\nB\t-71.4\t42.87\nC\tx\t1\nD\t0\t0\n");
  const Outcome all = cli(
      {"nearest", "--points", points, "--lat", "lat", "--lon", "2", "--count", "2", "-f", "csv"});
  std::string want = "point_lat,point_lon,zip,lat,lon,miles\r\n";
  for (const auto& [lat, lon] :
       {std::pair{"34", "-118"}, {"42.87", "-71.4"}, {"", ""}, {"0", "0"}}) {
    if (!*lat) {
      want += "1,x,,,,\r\n";  // a longitude that is no number keeps its row
      continue;
    }
    std::istringstream lines(cli({"nearest", lat, lon, "--count", "2", "-f", "csv"}).out);
    std::string line;
    std::getline(lines, line);  // its header
    while (std::getline(lines, line)) want += std::string(lat) + "," + lon + "," + line + "\n";
  }
  EXPECT_EQ(all.out, want);
  EXPECT_EQ(all.status, 1);
  EXPECT_EQ(all.err,
            "quorvane-cli: Points left out: 1 not-numeric (first: 'x', line 4)\n"
            "quorvane-cli: Points more than 300 miles from every zip code (latitude and "
            "longitude swapped?): 1 (first: '0 0', line 5)\n");
}

TEST_F(Cli, BadInputIsOneMessageAndNoResult) {
  const std::string customers = file("customers.csv", "id,zip\n1,03053\n2,92018\n");
  const std::string stores = file("stores.csv", "zip,name\n03053,A\n60628,B\n");
  const std::string no_zip = file("no_zip.csv", "zip,name\nabc,A\n99999,B\n");
  const std::string binary = file("binary.csv", std::string("id,zip\n1,0\0\0\n", 13));
  const std::string long_line = file("long.csv", "id,zip\n1," + std::string(1 << 21, '1') + "\n");
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"assign", customers, "--to", no_zip, "--from", "zip"}, "has no usable zip code"},
      {{"assign", customers, "--to", stores, "--from", "zip", "--count", "0"}, "--count"},
      {{"assign", customers, "--to", stores, "--from", "zip", "--count", "1001"}, "--count"},
      {{"assign", customers, "--to", stores, "--from", "zip", "--lat", "1", "--lon", "2"},
       "excludes"},
      {{"assign", customers, "--to", stores, "--from", "zipcode"},
       "--from zipcode: no such column in " + customers + "; its columns are id, zip"},
      {{"assign", customers, "--to", stores, "--from", "zip", "--to-column", "store"},
       "--to-column store: no such column in " + stores + "; its columns are zip, name"},
      {{"assign", customers, "--to", stores}, "--from COL"},
      {{"assign", binary, "--to", stores, "--from", "zip"}, "not a text file"},
      {{"assign", long_line, "--to", stores, "--from", "zip"}, "longer than"},
      {{"within", "--centres", customers, "--column", "postcode", "10"},
       "--column postcode: no such column"},
      {{"within", "--centres", customers, "10", "20"}, "Not with --centres"},
      {{"nearest", "--points", customers, "--lat", "latitude"}, "--lat latitude: no such column"},
  };
  for (const auto& [args, message] : cases) {
    const Outcome o = cli(args);
    EXPECT_EQ(o.status, 2) << args[1] << " " << message << "\n" << o.err;
    EXPECT_EQ(o.out, "") << message;
    EXPECT_NE(o.err.find(message), std::string::npos) << o.err;
    EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << o.err;
  }
}

TEST_F(Cli, AssignCarriesStoreColumnsAndKeepsEveryRow) {
  const std::string customers =
      file("c.tsv", "name\tlat\tlon\n\"a\tb\"\t34\t-118\nnone\t\t-118\nswap\t-118\t34\n");
  const std::string stores = file("s.csv", "90210,Beverly,7\n92018,Oceanside,8\n");
  const Outcome o =
      cli({"assign", customers, "--to", stores, "--lat", "LAT", "--lon", "lon", "--count", "5"});
  EXPECT_EQ(o.out,
            "name\tlat\tlon\trank\tstore_zip\tstore_2\tstore_3\tmiles\tstatus\r\n"
            "\"a\tb\"\t34\t-118\t1\t90210\tBeverly\t7\t24.09\t\r\n"
            "\"a\tb\"\t34\t-118\t2\t92018\tOceanside\t8\t69.14\t\r\n"
            "none\t\t-118\t\t\t\t\t\tnot-numeric\r\n"
            "swap\t-118\t34\t\t\t\t\t\tbad-coordinates\r\n");
  EXPECT_EQ(o.status, 1) << o.err;
}

}  // namespace
}  // namespace quorvane::test
