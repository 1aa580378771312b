// quorvane-cli map, run as a process: each kind of map, the SVG read back as XML, the
// PNG's pixels, and bad input. The outlines file and places inside their states.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QImage>
#include <QXmlStreamReader>
#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>

#include "engine/albers_usa.h"
#include "map/outlines.h"
#include "tests/cli/cli_fixture.h"

namespace quorvane::test {
namespace {

std::string read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

struct SvgCount {
  std::map<std::string, int> by_class;  // elements with each class word
  std::vector<std::string> state_titles;
  std::vector<std::pair<double, double>> centres;  // of the points, in order
  std::vector<std::string> fills;                  // of the points, in order
  std::string text;                                // every text of the file, joined
  bool well_formed = false;
};

SvgCount parse_svg(const std::string& bytes) {
  SvgCount c;
  QXmlStreamReader xml(QByteArray::fromStdString(bytes));
  QStringList open_classes;
  while (!xml.atEnd()) {
    xml.readNext();
    if (xml.isStartElement()) {
      const QString cls = xml.attributes().value("class").toString();
      for (const QString& word : cls.split(' ', Qt::SkipEmptyParts))
        ++c.by_class[word.toStdString()];
      if (cls.split(' ').contains("point")) {
        c.centres.emplace_back(xml.attributes().value("cx").toDouble(),
                               xml.attributes().value("cy").toDouble());
        c.fills.push_back(xml.attributes().value("fill").toString().toStdString());
      }
      if (xml.name() == QLatin1String("title") && !open_classes.isEmpty() &&
          open_classes.last() == "state")
        c.state_titles.push_back(xml.readElementText().toStdString());
      else
        open_classes.push_back(cls);
    } else if (xml.isEndElement()) {
      if (!open_classes.isEmpty()) open_classes.pop_back();
    } else if (xml.isCharacters()) {
      c.text += xml.text().toString().toStdString() + "\n";
    }
  }
  c.well_formed = !xml.hasError();
  return c;
}

// Files in the folder whose name starts with a dot: what an unfinished write leaves.
int hidden_files(const std::string& dir) {
  int n = 0;
  DIR* d = opendir(dir.c_str());
  while (dirent* e = readdir(d))
    if (e->d_name[0] == '.' && std::string(e->d_name) != "." && std::string(e->d_name) != "..") ++n;
  closedir(d);
  return n;
}

class Map : public Cli {
 protected:
  std::string out(const std::string& name) { return dir.file(name); }
  TempDir dir;
};

struct Kind {
  const char* name;
  std::vector<std::string> args;
  std::string input;
  int status, points, legs, rings, spokes;
};

TEST_F(Map, EachKindDrawsOneElementPerPointLegAndRing) {
  // Customers by zip code (99999 has no position), by position with no header, and stores.
  write_file(out("customers.csv"), "id,zip\n1,03053\n2,92018\r\n3,60628\n4,98101\n5,99999\n");
  write_file(out("stores.csv"), "zip,name\n10001,New York\n33101,\"Miami, FL\"\n");
  write_file(out("points.csv"), "40.0;-75.0\n 34.05 ;-118.25\n");
  write_file(out("stores.ssv"), "10001;New York\n33101;Miami\n");
  const Kind kinds[] = {
      // 03053 92018 60628 10001 in turn: four points, three legs.
      {"consecutive list", {"map"}, "03053\n92018\n60628\n10001\n", 0, 4, 3, 0, 0},
      // The reference is a point too; 99999 is noted, and the exit says some had none.
      {"list with --reference",
       {"map", "--reference", "10001"},
       "03053\n99999\n98101\n",
       1,
       3,
       2,
       0,
       0},
      // Within 1,000 miles of 10001: 03053, 60628 and itself.
      {"within", {"map", "--within", "10001", "1000"}, "", 0, 3, 0, 1, 0},
      {"within in km", {"map", "--within", "10001", "1000", "--units", "km"}, "", 0, 2, 0, 1, 0},
      // Two stores and four customers with a position, each with a spoke; 99999 is noted.
      {"assign by zip code",
       {"map", "--assign", out("customers.csv"), "--to", out("stores.csv"), "--from", "zip"},
       "",
       1,
       6,
       0,
       0,
       4},
      {"assign by position",
       {"map", "--assign", out("points.csv"), "--to", out("stores.ssv"), "--lat", "1", "--lon", "2",
        "--no-header", "--delimiter", ";"},
       "",
       0,
       4,
       0,
       0,
       2},
      // Last, for the note below: every zip code of the table; those in no inset are not drawn.
      {"all", {"map", "--all"}, "", 0, 7, 0, 0, 0},
  };
  for (const Kind& k : kinds) {
    SCOPED_TRACE(k.name);
    std::vector<std::string> args = k.args;
    args.insert(args.end(), {"--output", out("m.svg")});
    const Outcome r = cli(args, k.input);
    ASSERT_EQ(r.status, k.status) << r.err;
    SvgCount svg = parse_svg(read(out("m.svg")));
    ASSERT_TRUE(svg.well_formed);
    EXPECT_EQ(svg.by_class["point"], k.points);
    EXPECT_EQ(svg.by_class["leg"], k.legs);
    EXPECT_EQ(svg.by_class["ring"], k.rings);
    EXPECT_EQ(svg.by_class["spoke"], k.spokes);
    if (k.spokes) {
      EXPECT_EQ(svg.by_class["store"], 2);
      EXPECT_EQ(svg.by_class["customer"], k.spokes);
      EXPECT_NE(svg.text.find("store (each its own colour)"), std::string::npos);
    }
    EXPECT_EQ(svg.by_class["state"], 51);  // the 50 states and the District of Columbia
    EXPECT_EQ(svg.state_titles.size(), 51u);
    EXPECT_EQ(svg.state_titles.front(), "Alabama");
    if (k.status == 1) {
      EXPECT_NE(svg.text.find("No position in the 2016 table: 99999"), std::string::npos);
    }
    args.back() = out("m.png");
    ASSERT_EQ(cli(args, k.input).status, k.status);
    const QImage png(QString::fromStdString(out("m.png")));
    ASSERT_FALSE(png.isNull());
    // Stores and customers: the PNG has each point's own colour at its place.
    for (std::size_t i = 0; k.spokes && i < svg.centres.size(); ++i) {
      const auto [x, y] = svg.centres[i];
      EXPECT_EQ(png.pixelColor(static_cast<int>(x), static_cast<int>(y)).name().toStdString(),
                svg.fills[i]);
    }
  }
  // The test table's points off the map (GeographicLib's test cases) are named under it.
  const SvgCount all = parse_svg(read(out("m.svg")));
  EXPECT_NE(all.text.find("Not on the map"), std::string::npos);
  EXPECT_NE(all.text.find("00002"), std::string::npos);
}

TEST_F(Map, PngPixelAtAPointHasItsColour) {
  for (const char* size : {"1200x760", "100x100", "640x2000"}) {
    SCOPED_TRACE(size);
    ASSERT_EQ(cli({"map", "--size", size, "--output", out("p.svg")}, "33101\n").status, 0);
    ASSERT_EQ(cli({"map", "--size", size, "--output", out("p.png")}, "33101\n").status, 0);
    const SvgCount svg = parse_svg(read(out("p.svg")));
    ASSERT_EQ(svg.centres.size(), 1u);
    const QImage png(QString::fromStdString(out("p.png")));
    ASSERT_FALSE(png.isNull());
    EXPECT_EQ(QString::number(png.width()) + "x" + QString::number(png.height()), size);
    const auto [x, y] = svg.centres[0];
    EXPECT_EQ(png.pixelColor(static_cast<int>(x), static_cast<int>(y)).name(), "#c0392b");
  }
}

TEST_F(Map, BadInputGivesOneMessageAndNoFile) {
  write_file(out("old.svg"), "old");
  ASSERT_EQ(mkdir(out("folder.svg").c_str(), 0700), 0);
  write_file(out("customers.csv"), "id,zip\n1,03053\n");
  write_file(out("nowhere.csv"), "id,zip\n1,99999\n2,\n");
  write_file(out("stores.csv"), "zip\n10001\n");
  write_file(out("no_stores.csv"), "zip\n99999\nabc\n");
  const std::vector<std::string> assign{"--assign",        out("customers.csv"), "--to",
                                        out("stores.csv"), "--output",           out("m.svg")};
  const auto with = [&](std::vector<std::string> more) {
    more.insert(more.begin(), assign.begin(), assign.end());
    return more;
  };
  const struct {
    const char* name;
    std::vector<std::string> args;
    std::string input, file, message;
  } cases[] = {
      {"folder missing",
       {"--output", out("nowhere/m.svg")},
       "10001\n",
       out("nowhere/m.svg"),
       "Cannot write"},
      {"a folder", {"--output", out("folder.svg")}, "10001\n", "", "not a regular file"},
      {"unknown extension", {"--output", out("m.jpg")}, "10001\n", out("m.jpg"), ".svg or .png"},
      {"no extension", {"--output", out("m")}, "10001\n", out("m"), ".svg or .png"},
      {"too small",
       {"--size", "99x100", "--output", out("m.svg")},
       "10001\n",
       out("m.svg"),
       "from 100 to 10000"},
      {"too big",
       {"--size", "100x10001", "--output", out("m.svg")},
       "10001\n",
       out("m.svg"),
       "from 100 to 10000"},
      {"not a size",
       {"--size", "big", "--output", out("m.svg")},
       "10001\n",
       out("m.svg"),
       "from 100 to 10000"},
      {"no usable zip code",
       {"--output", out("m.svg")},
       "99999\nhello\n",
       out("m.svg"),
       "no zip code with a position"},
      {"empty list", {"--output", out("m.svg")}, "", out("m.svg"), "no zip code with a position"},
      {"old file kept", {"--output", out("old.svg")}, "hello\n", "", "no zip code"},
      {"reference not in table",
       {"--reference", "99999", "--output", out("m.svg")},
       "10001\n",
       out("m.svg"),
       "99999 is not in the 2016 table"},
      {"centre not in table",
       {"--within", "99999", "5", "--output", out("m.svg")},
       "",
       out("m.svg"),
       "99999 is not in the 2016 table"},
      {"negative radius",
       {"--within", "10001", "-5", "--output", out("m.svg")},
       "",
       out("m.svg"),
       "at least 0"},
      {"two kinds",
       {"--all", "--within", "10001", "5", "--output", out("m.svg")},
       "",
       out("m.svg"),
       "Give one of"},
      {"no output", {"--all"}, "", "", "--output is required"},
      {"no usable store",
       {"--assign", out("customers.csv"), "--to", out("no_stores.csv"), "--from", "zip", "--output",
        out("m.svg")},
       "",
       out("m.svg"),
       "has no usable zip code"},
      {"missing customers' column", with({"--from", "zipcode"}), "", out("m.svg"),
       "no such column"},
      {"missing stores' column", with({"--from", "zip", "--to-column", "site"}), "", out("m.svg"),
       "--to-column site: no such column"},
      {"no customer column", with({}), "", out("m.svg"), "--from COL"},
      {"no customer with a position",
       {"--assign", out("nowhere.csv"), "--to", out("stores.csv"), "--from", "zip", "--output",
        out("m.svg")},
       "",
       out("m.svg"),
       "nothing to map"},
      {"stores missing",
       {"--assign", out("customers.csv"), "--to", out("none.csv"), "--from", "zip", "--output",
        out("m.svg")},
       "",
       out("m.svg"),
       "none.csv"},
      {"--to without --assign",
       {"--to", out("stores.csv"), "--output", out("m.svg")},
       "",
       out("m.svg"),
       "--assign"},
      {"assign and a list", with({"--from", "zip", "-"}), "10001\n", out("m.svg"), "Give one of"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> args{"map"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const Outcome r = cli(args, c.input);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    if (!c.file.empty()) {
      EXPECT_NE(access(c.file.c_str(), F_OK), 0);
    }
    EXPECT_EQ(hidden_files(dir.path()), 0);
  }
  EXPECT_EQ(read(out("old.svg")), "old");
  // A good map takes the old file's place.
  EXPECT_EQ(cli({"map", "--output", out("old.svg")}, "10001\n").status, 0);
  EXPECT_TRUE(parse_svg(read(out("old.svg"))).well_formed);
}

TEST_F(Map, HelpComesFromTheMapProgram) {
  const Outcome r = cli({"map", "--help"});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("--within"), std::string::npos);
  EXPECT_NE(cli({"--help"}).out.find("map"), std::string::npos);
}

// Known places land inside their own state's outline, and in no other.
TEST(Outlines, KnownPlacesLieInTheirStates) {
  const map::Outlines o = map::read_outlines(QUORVANE_OUTLINES);
  ASSERT_EQ(o.states.size(), 51u);
  EXPECT_GT(o.county_borders.size(), 3000u);
  const AlbersUsa projection;
  const struct {
    const char* state;
    double lat, lon;
  } places[] = {{"Washington", 47.6062, -122.3321}, {"Florida", 25.7617, -80.1918},
                {"Alaska", 61.2181, -149.9003},     {"Hawaii", 21.3069, -157.8583},
                {"Colorado", 39.7392, -104.9903},   {"Maine", 43.6591, -70.2568},
                {"Texas", 29.7604, -95.3698},       {"Alaska", 64.8378, -147.7164}};
  for (const auto& p : places) {
    SCOPED_TRACE(p.state);
    const Projected xy = projection.project(p.lat, p.lon);
    ASSERT_NE(xy.inset, Inset::None);
    std::vector<std::string> in;
    for (const map::StateOutline& s : o.states)
      if (map::inside(s, xy.at)) in.push_back(s.name);
    EXPECT_EQ(in, std::vector<std::string>{p.state});
  }
}

TEST(Outlines, DamagedFileIsRefusedWithItsReason) {
  TempDir dir;
  const std::string whole = read(QUORVANE_OUTLINES);
  const struct {
    const char* name;
    std::string bytes, reason;
  } cases[] = {{"empty", "", "ends too soon"},
               {"other file", "PK\x03\x04 not an outline file", "not a quorvane outline file"},
               {"cut short", whole.substr(0, whole.size() / 2), "a line runs past the end"},
               {"cut in a header", whole.substr(0, 9), "ends too soon"},
               {"longer", whole + "x", "past its last line"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    write_file(dir.file("o.bin"), c.bytes);
    try {
      map::read_outlines(dir.file("o.bin"));
      ADD_FAILURE() << "read";
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << e.what();
    }
  }
}

}  // namespace
}  // namespace quorvane::test
