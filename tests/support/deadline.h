// Bounds every test: one still running past its deadline is named, with what it waits for, what
// it started is killed, and the program fails at once. A hang costs a minute, not CI's hour.
#pragma once

#include <string>

namespace Velotrax::testing_support {

// Names what the calling test waits for ("the key-wait child") while it is in scope, for the
// message a missed deadline writes.
class Waiting {
 public:
  explicit Waiting(std::string what);
  ~Waiting();
  Waiting(const Waiting&) = delete;
  Waiting& operator=(const Waiting&) = delete;

 private:
  std::string previous_;
};

// The test framework's hooks: a test begins (its deadline starts) and ends.
void testStarted(const std::string& name);
void testEnded();

// Ends every process this one started, and what they started in their own groups.
void killChildren();

}  // namespace Velotrax::testing_support
