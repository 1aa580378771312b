#pragma once
// The uniform error trap. Every command handler and engine routine that can fail
// runs its numbered statements through a Trap: a failing statement is reported once
// (description, location, statement number) and execution goes on with the next
// statement, so an unexpected error never ends the program.
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace quorvane {

inline constexpr std::string_view kProjectId = "Brisholt2021/08/31";
inline constexpr std::string_view kSupportEmail = "support@kelvarin.example";

// A run-time error as the trap reports it; `number` is the error's code in the
// "Application Error" box (5 invalid procedure call, 6 overflow, 13 type mismatch,
// 53 file not found ...).
class RuntimeError : public std::runtime_error {
 public:
  RuntimeError(int number, const std::string& description)
      : std::runtime_error(description), number_(number) {}
  int number() const { return number_; }

 private:
  int number_;
};

struct TrapReport {
  std::string description;
  std::string location;  // e.g. "Brisholt2021/08/31.modZipDistance.GetDistance"
  int line = 0;
  // The prompt of the "Application Error" box.
  std::string text() const;
};

using TrapReporter = std::function<void(const TrapReport&)>;

// The reporter receives every report. The window shows a modal box; the command-line
// program prints to standard error; tests collect them. Returns the previous reporter.
TrapReporter set_trap_reporter(TrapReporter reporter);
void report_error(const TrapReport& report);

std::string location_text(std::string_view module, std::string_view routine);

class Trap {
 public:
  // The names must outlive the trap (they are string literals everywhere); the location
  // text is built only when something is reported, so a trap costs nothing on success.
  Trap(std::string_view module, std::string_view routine) : module_(module), routine_(routine) {}

  // Runs one numbered statement; a failure is reported and swallowed.
  template <class F>
  void line(int number, F&& statement) {
    line_ = number;
    try {
      statement();
    } catch (const std::exception& e) {
      report(e.what());
    }
  }

  // The test of a conditional. A failing test is reported and execution goes on
  // inside the branch, as after any reported failure: the result is true.
  template <class F>
  bool test(int number, F&& condition) {
    line_ = number;
    try {
      return condition();
    } catch (const std::exception& e) {
      report(e.what());
      return true;
    }
  }

  // Reports a failure at statement `number` that was detected without an exception.
  void fail(int number, const std::string& description) {
    line_ = number;
    report(description);
  }

  std::string location() const { return location_text(module_, routine_); }
  int last_line() const { return line_; }

 private:
  void report(const std::string& description);

  std::string_view module_, routine_;
  int line_ = 0;
};

}  // namespace quorvane
