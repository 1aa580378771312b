// quorvane-cli: the distance engine for scripts and checks.
#include <unistd.h>

#include <clocale>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "error_trap.h"
#include "zip_distance.h"

namespace {

constexpr const char* kUsage =
    "usage: quorvane-cli distance ZIP1 ZIP2 [--wording 3|4|5] [--database 2016|2012]\n"
    "\n"
    "Prints the distance between two US zip codes, in statute miles, worded as the\n"
    "Quorvane window words it (3: sentence, 4: zip codes and distance, 5: distance\n"
    "only; default 3), looked up in the 2016 (default) or 2012 table of dbZips.mdb\n"
    "beside this program. A second line lists zip codes stored with zero coordinates.\n"
    "\n"
    "Exit status: 0 a distance was printed, 1 a zip code was not found, 2 usage error.\n";

std::filesystem::path program_folder() {
  std::error_code ec;
  auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::current_path() : exe.parent_path();
}

int usage(const char* problem) {
  if (problem) std::cerr << "quorvane-cli: " << problem << "\n";
  std::cerr << kUsage;
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    std::cout << kUsage;
    return 0;
  }
  if (args.size() < 3 || args[0] != "distance") return usage(nullptr);
  int wording = 3;
  bool use2016 = true;
  for (std::size_t i = 3; i < args.size(); i += 2) {
    if (i + 1 >= args.size()) return usage("option without a value");
    const std::string& v = args[i + 1];
    if (args[i] == "--wording" && (v == "3" || v == "4" || v == "5"))
      wording = v[0] - '0';
    else if (args[i] == "--database" && (v == "2016" || v == "2012"))
      use2016 = v == "2016";
    else
      return usage(("bad option " + args[i] + " " + v).c_str());
  }
  quorvane::set_trap_reporter([](const quorvane::TrapReport& r) {
    std::cerr << "Application Error: " << r.description << " (in " << r.location << " at line "
              << r.line << ")\n";
  });
  quorvane::ZipDistance engine((program_folder() / "dbZips.mdb").string());
  const char* point = std::localeconv()->decimal_point;
  engine.set_decimal_separator(point && *point ? point : ".");
  const std::string line =
      engine.GetDistance(args[1], args[2], static_cast<std::uint8_t>(wording), use2016);
  std::cout << line << "\n";
  if (!engine.not_found_zips.empty())
    std::cout << "Zero coordinates stored for: " << engine.not_found_zips << "\n";
  return line.rfind(quorvane::kNoDetails, 0) == 0 ? 1 : 0;
}
