#include "deadline.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace Velotrax::testing_support {

namespace {

// Far beyond any test's time on a loaded 2-core machine under a sanitizer, and far below CI's
// limit. VELOTRAX_TEST_DEADLINE (seconds) sets another.
constexpr long kDefaultDeadlineSeconds = 120;

long deadlineSeconds() {
  const char* text = std::getenv("VELOTRAX_TEST_DEADLINE");
  const long seconds = text ? std::atol(text) : 0;
  return seconds > 0 ? seconds : kDefaultDeadlineSeconds;
}

struct Watchdog {
  std::mutex mutex;
  std::condition_variable changed;
  std::string test;  // empty between tests
  std::string waitingFor;
  std::chrono::steady_clock::time_point deadline;
  unsigned generation = 0;
  bool started = false;
};

// Never destroyed: its thread runs until the program ends.
Watchdog& watchdog() {
  static Watchdog* const instance = new Watchdog;
  return *instance;
}

[[noreturn]] void expire(const Watchdog& dog) {
  std::fprintf(stderr, "\n%s: still running after %ld s%s%s; killed what it started\n",
               dog.test.c_str(), deadlineSeconds(), dog.waitingFor.empty() ? "" : ", waiting for ",
               dog.waitingFor.c_str());
  std::fflush(stderr);
  killChildren();
  std::_Exit(1);
}

void watch() {
  Watchdog& dog = watchdog();
  std::unique_lock<std::mutex> hold(dog.mutex);
  for (;;) {
    if (dog.test.empty()) {
      dog.changed.wait(hold);
      continue;
    }
    const unsigned generation = dog.generation;
    if (!dog.changed.wait_until(hold, dog.deadline, [&] { return dog.generation != generation; }))
      expire(dog);
  }
}

}  // namespace

Waiting::Waiting(std::string what) {
  Watchdog& dog = watchdog();
  std::lock_guard<std::mutex> hold(dog.mutex);
  previous_ = std::move(dog.waitingFor);
  dog.waitingFor = std::move(what);
}

Waiting::~Waiting() {
  Watchdog& dog = watchdog();
  std::lock_guard<std::mutex> hold(dog.mutex);
  dog.waitingFor = std::move(previous_);
}

void testStarted(const std::string& name) {
  Watchdog& dog = watchdog();
  std::lock_guard<std::mutex> hold(dog.mutex);
  if (!dog.started) {
    std::thread(watch).detach();
    dog.started = true;
  }
  dog.test = name;
  dog.waitingFor.clear();
  dog.deadline = std::chrono::steady_clock::now() + std::chrono::seconds(deadlineSeconds());
  ++dog.generation;
  dog.changed.notify_all();
}

void testEnded() {
  Watchdog& dog = watchdog();
  std::lock_guard<std::mutex> hold(dog.mutex);
  dog.test.clear();
  ++dog.generation;
  dog.changed.notify_all();
}

}  // namespace Velotrax::testing_support
