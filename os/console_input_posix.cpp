#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <optional>

#include "console_input_posix.h"
#include "event_native_posix.h"
#include "terminating_signals_posix.h"

namespace Velotrax::os {

namespace {

// A terminal sends the codes of one key press in one write; a gap this long after ESC means ESC
// was pressed on its own. Long enough for a slow remote line, short enough not to be felt.
constexpr int kEscapeSequenceGapMs = 25;
// Longest escape sequence taken whole; longer runs are left for later reads.
constexpr int kMaxSequenceLength = 32;
// What readKey() gives for a whole escape sequence.
constexpr int kSequenceKey = 0x100;

// The terminal state to put back if a signal ends the process during a key wait.
struct termios savedMode {};
volatile std::sig_atomic_t rawFd = -1;

void restoreOnSignal() {
  const int fd = rawFd;
  if (fd >= 0) tcsetattr(fd, TCSANOW, &savedMode);
}

// Input that never has a key: standard input is a file, a pipe or nothing.
class NoKeys final : public ConsoleInput {
 public:
  void beginKeyWait() override {}
  void endKeyWait() override {}
  bool keyPressed() override { return false; }
  int readKey() override { return 0; }
  void waitForKeyOrEvent(Event& event, std::chrono::milliseconds bound) override {
    pollfd ready{event.native().fd.get(), POLLIN, 0};
    ::poll(&ready, 1, static_cast<int>(bound.count()));
  }
};

class TerminalKeys final : public ConsoleInput {
 public:
  explicit TerminalKeys(int fd) : fd_(fd) { runOnTerminatingSignal(restoreOnSignal); }
  ~TerminalKeys() override { endKeyWait(); }

  void beginKeyWait() override {
    // A background job must not touch the terminal (it would be stopped); without a
    // controlling terminal there is no job control to mind.
    const pid_t foreground = tcgetpgrp(fd_);
    if (foreground >= 0 && foreground != getpgrp()) return;
    struct termios mode {};
    if (tcgetattr(fd_, &mode) != 0) return;
    savedMode = mode;
    mode.c_lflag &= ~(ICANON | ECHO);
    mode.c_cc[VMIN] = 1;
    mode.c_cc[VTIME] = 0;
    rawFd = fd_;
    // TCSANOW keeps what was typed during the run: an ESC typed then still ends the loop.
    if (tcsetattr(fd_, TCSANOW, &mode) != 0) {
      rawFd = -1;
      return;
    }
    waiting_ = true;
  }

  void endKeyWait() override {
    if (!waiting_) return;
    tcsetattr(fd_, TCSANOW, &savedMode);
    rawFd = -1;
    waiting_ = false;
  }

  bool keyPressed() override {
    if (!pending_ && waiting_ && !ended_) pending_ = readByteWithin(0);
    return pending_.has_value();
  }

  int readKey() override {
    if (!keyPressed()) return 0;
    const int key = *pending_;
    pending_.reset();
    if (key != kEscapeKey) return key;
    const std::optional<unsigned char> next = readByteWithin(kEscapeSequenceGapMs);
    // Only CSI and SS3 begin a key's sequence; before anything else ESC was pressed on its own,
    // and the next key stays for the next read.
    if (next && *next != '[' && *next != 'O') pending_ = next;
    if (!next || pending_) return kEscapeKey;
    if (*next == '[') {  // CSI: parameters and intermediates up to one final byte
      for (int i = 0; i < kMaxSequenceLength; ++i) {
        const std::optional<unsigned char> byte = readByteWithin(kEscapeSequenceGapMs);
        if (!byte || (*byte >= 0x40 && *byte <= 0x7e)) break;
      }
    } else if (*next == 'O') {  // SS3: one more byte (F1 to F4, keypad)
      readByteWithin(kEscapeSequenceGapMs);
    }
    return kSequenceKey;
  }

  void waitForKeyOrEvent(Event& event, std::chrono::milliseconds bound) override {
    pollfd ready[2] = {{event.native().fd.get(), POLLIN, 0}, {fd_, POLLIN, 0}};
    const bool listen = waiting_ && !ended_ && !pending_;
    ::poll(ready, listen ? 2 : 1, static_cast<int>(bound.count()));
  }

 private:
  // One byte if one arrives within `timeoutMs`. End of input or a hung-up terminal ends key
  // reading for good: it is no key, and polling it again would only spin.
  std::optional<unsigned char> readByteWithin(int timeoutMs) {
    pollfd ready{fd_, POLLIN, 0};
    int result;
    do result = ::poll(&ready, 1, timeoutMs);
    while (result < 0 && errno == EINTR);
    if (result <= 0) return std::nullopt;
    if (!(ready.revents & POLLIN)) {
      ended_ = true;
      return std::nullopt;
    }
    unsigned char byte = 0;
    const ssize_t got = ::read(fd_, &byte, 1);
    if (got == 1) return byte;
    if (got == 0 || (errno != EINTR && errno != EAGAIN)) ended_ = true;
    return std::nullopt;
  }

  int fd_;
  bool waiting_ = false;
  bool ended_ = false;
  std::optional<unsigned char> pending_;
};

}  // namespace

std::unique_ptr<ConsoleInput> consoleInputFor(int fd) {
  if (isatty(fd) == 1) return std::make_unique<TerminalKeys>(fd);
  return std::make_unique<NoKeys>();
}

std::unique_ptr<ConsoleInput> ConsoleInput::forStandardInput() {
  return consoleInputFor(STDIN_FILENO);
}

}  // namespace Velotrax::os
