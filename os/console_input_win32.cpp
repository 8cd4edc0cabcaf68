#include <conio.h>

#include "console_input.h"
#include "event_native_win32.h"

namespace Velotrax::os {

namespace {

// _getch's first code for keys that send two (arrows, function keys).
constexpr int kExtendedKeyLead = 0x00;
constexpr int kExtendedKeyLeadAlt = 0xE0;

class ConsoleKeys final : public ConsoleInput {
 public:
  void beginKeyWait() override {}
  void endKeyWait() override {}

  bool keyPressed() override { return _kbhit() != 0; }

  int readKey() override {
    const int key = _getch();
    // The second code belongs to the same key press: take it too, so one press is one key.
    if (key == kExtendedKeyLead || key == kExtendedKeyLeadAlt) _getch();
    return key;
  }

  void waitForKeyOrEvent(Event& event, std::chrono::milliseconds bound) override {
    const DWORD timeout = static_cast<DWORD>(bound.count());
    HANDLE handles[2] = {event.native().handle.get(), GetStdHandle(STD_INPUT_HANDLE)};
    DWORD mode = 0;
    const bool console = GetConsoleMode(handles[1], &mode) != 0;
    if (console && WaitForMultipleObjects(2, handles, FALSE, timeout) != WAIT_OBJECT_0 + 1) return;
    // Console input is signalled by any record, mouse and focus ones too, which _kbhit passes
    // over: without a key, wait for the event alone so such records cause no busy loop.
    if (!console || !_kbhit()) WaitForMultipleObjects(1, handles, FALSE, timeout);
  }
};

}  // namespace

std::unique_ptr<ConsoleInput> ConsoleInput::forStandardInput() {
  return std::make_unique<ConsoleKeys>();
}

}  // namespace Velotrax::os
