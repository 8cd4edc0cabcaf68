// Runs every registered test and prints "N passed, N failed".
#include <cstdio>

#include "deadline.h"
#include "test_framework.h"

namespace minitest {

namespace {
bool gFailed = false;
}

std::vector<TestCase>& registry() {
  static std::vector<TestCase> cases;
  return cases;
}

void fail(const char* file, int line, const std::string& what) {
  gFailed = true;
  std::printf("%s:%d: check failed: %s\n", file, line, what.c_str());
}

}  // namespace minitest

int main(int argc, char** argv) {
  const char* filter = argc > 1 ? argv[1] : nullptr;
  int passed = 0, failed = 0;
  for (const auto& test : minitest::registry()) {
    if (filter && test.name.find(filter) == std::string::npos) continue;
    minitest::gFailed = false;
    Velotrax::testing_support::testStarted(test.name);
    try {
      test.body();
    } catch (...) {
      minitest::fail(__FILE__, __LINE__, "unexpected exception");
    }
    Velotrax::testing_support::testEnded();
    std::printf("[%s] %s\n", minitest::gFailed ? "FAILED" : "    OK", test.name.c_str());
    std::fflush(stdout);
    (minitest::gFailed ? failed : passed)++;
  }
  std::printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}
