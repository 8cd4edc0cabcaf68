// Keys typed in the console, read one at a time while the watch loop waits.
#pragma once

#include <chrono>
#include <memory>

namespace Velotrax::os {

class Event;

// The key readKey() gives for ESC pressed on its own.
constexpr int kEscapeKey = 27;

class ConsoleInput {
 public:
  // Standard input: a console or terminal gives keys; anything else never does.
  static std::unique_ptr<ConsoleInput> forStandardInput();
  virtual ~ConsoleInput() = default;

  // Keys are read only between these two. A terminal is switched to single keys without echo
  // for that time and restored afterwards, so a run in between gets the terminal as it was.
  virtual void beginKeyWait() = 0;
  virtual void endKeyWait() = 0;

  // Whether a key is waiting (end of input is no key).
  virtual bool keyPressed() = 0;
  // Takes the waiting key: kEscapeKey for ESC, also when another key follows at once; a key
  // sending an escape sequence (an arrow key, a function key) is taken whole and gives some
  // other value.
  virtual int readKey() = 0;
  // Returns when a key may be waiting, `event` is signalled, or `bound` has passed, whichever
  // comes first. A signal seen here may be used up: the signaller keeps its own record.
  virtual void waitForKeyOrEvent(Event& event, std::chrono::milliseconds bound) = 0;
};

// Holds a key wait for one scope.
class KeyWait {
 public:
  explicit KeyWait(ConsoleInput& input) : input_(input) { input_.beginKeyWait(); }
  ~KeyWait() { input_.endKeyWait(); }
  KeyWait(const KeyWait&) = delete;
  KeyWait& operator=(const KeyWait&) = delete;

 private:
  ConsoleInput& input_;
};

}  // namespace Velotrax::os
