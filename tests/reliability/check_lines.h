// The stages' output, for the test programs a stage runs and reads back: a line "ok   WHAT" or
// "FAIL WHAT: WHY" a check, and a closing line "NAME: all checks passed" or "NAME: N check(s)
// failed", as scripts/test.d/lib/session.sh writes them. Plain C++: it compiles for each build.
#pragma once

#include <cstdio>
#include <string>
#include <utility>

class CheckLines {
 public:
  explicit CheckLines(std::string name) : name(std::move(name)) {}

  // Flushed at once: a program that crashes on the next step has still said this much.
  void Check(bool held, const std::string& what, const std::string& why = "") {
    if (held) {
      std::printf("ok   %s\n", what.c_str());
    } else {
      std::printf("FAIL %s%s%s\n", what.c_str(), why.empty() ? "" : ": ", why.c_str());
      ++failures;
    }
    std::fflush(stdout);
  }
  // Prints the closing line; the program's exit code.
  int Finish() const {
    if (failures > 0) {
      std::printf("%s: %d check(s) failed\n", name.c_str(), failures);
    } else {
      std::printf("%s: all checks passed\n", name.c_str());
    }
    std::fflush(stdout);
    return failures > 0 ? 1 : 0;
  }

 private:
  std::string name;
  int failures = 0;
};
