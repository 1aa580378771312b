#include "engine/error_trap.h"

#include <utility>

namespace quorvane {
namespace {

TrapReporter& reporter() {
  static TrapReporter current;
  return current;
}

}  // namespace

std::string TrapReport::text() const {
  std::string t = description;
  t += "\r\nin ";
  t += location;
  t += " at line ";
  t += std::to_string(line);
  t += "\r\rPlease email screenshot of this message to ";
  t += kSupportEmail;
  return t;
}

TrapReporter set_trap_reporter(TrapReporter r) {
  return std::exchange(reporter(), std::move(r));
}

void report_error(const TrapReport& report) {
  if (reporter()) reporter()(report);
}

std::string location_text(std::string_view module, std::string_view routine) {
  std::string s(kProjectId);
  s += '.';
  s += module;
  s += '.';
  s += routine;
  return s;
}

void Trap::report(const std::string& description) {
  report_error(TrapReport{description, location(), line_});
}

}  // namespace quorvane
