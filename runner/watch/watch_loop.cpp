#include "watch_loop.h"

#include <chrono>

#include "common/messages.h"
#include "halcon/engine_client.h"
#include "os/console_input.h"

namespace Velotrax {

namespace {

// The longest the wait goes between two looks at the state and the keys. The wait wakes at once
// on a change or a key; this only bounds it.
constexpr std::chrono::milliseconds kWaitBound{50};

enum class Next { again, end };

// Waits for a change, a failed watch or a key.
Next waitForChangeOrKey(const WatchLoop& loop) {
  WatchState& state = *loop.state;
  os::ConsoleInput& keys = *loop.keys;
  // A run in a child uses up the pass's event; the wait needs one to be woken.
  state.ensureEvent();
  const os::KeyWait keyWait(keys);
  for (;;) {
    switch (state.value()) {
      case WatchState::changeSeen:
        return Next::again;
      case WatchState::watchFailed:
        return Next::end;
      case WatchState::nothingSeen:
        break;
    }
    if (keys.keyPressed()) return keys.readKey() == os::kEscapeKey ? Next::end : Next::again;
    keys.waitForKeyOrEvent(*state.event(), kWaitBound);
  }
}

}  // namespace

bool runWatchLoop(const WatchLoop& loop) {
  WatchState& state = *loop.state;
  state.ledger().watch(loop.directories);
  state.ledger().ignore(loop.ownFiles);
  state.ledger().record();
  state.beginPass();
  for (;;) {
    // One watcher at a time, kept from pass to pass; the message it wrote at its start is written
    // here instead. One that could not watch every directory is replaced, so a directory that
    // has appeared since is watched.
    if (state.watcher && !state.watcher->watchesAll()) state.stopWatcher();
    if (!state.watcher)
      state.watcher = std::make_unique<Watcher>(state, loop.directories, loop.watch, loop.verbose);
    else
      printNormal(kWatchMessage);

    int elapsedMs = -1;
    state.ledger().beginRun();
    const bool ok = loop.run(elapsedMs);
    // What the run left is what the next changes are compared with.
    state.ledger().record();
    throwIfFailed(engineClient().hunloadAllProcedures());
    loop.report(ok, elapsedMs);
    printNormal(kWatchMessage);

    if (waitForChangeOrKey(loop) == Next::end) return true;
    state.beginPass();
  }
}

}  // namespace Velotrax
