#pragma once
// Runs the built quorvane-cli as a process: given arguments, environment and standard
// input; its standard output, standard error, exit and peak memory come back.
#include <string>
#include <vector>

namespace quorvane::test {

enum class Stdout {
  Capture,
  Discard,     // /dev/null
  FullDevice,  // /dev/full: every write fails with "No space left on device"
  Closed,      // descriptor 1 closed
  ReaderGone,  // a pipe whose reading end is closed, as `| head` leaves it
};

struct Invocation {
  std::vector<std::string> args;
  std::string input;
  Stdout out = Stdout::Capture;
  std::vector<std::string> env;  // NAME=VALUE added to the environment
  // The input is sent this many times over, so that a long input need not be held here
  // (the program's peak memory counts what this process held when it started it).
  long repeat = 1;
};

struct Outcome {
  std::string out, err;
  int status = -1;  // exit status, or -1 when a signal ended it
  int signal = 0;
  long peak_kb = 0;  // largest resident set (from the start of the process, before exec)
};

Outcome run_cli(const Invocation& call);

}  // namespace quorvane::test
