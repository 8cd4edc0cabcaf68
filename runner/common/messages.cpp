#include "messages.h"

#include <mutex>
#include <string>

#include "os/console_output.h"
#include "os/dialogs.h"

namespace Velotrax {

namespace {

// Set once by the main thread before any other thread exists.
bool consoleMode = false;

// Keeps whole messages, colour change included, from interleaving.
std::mutex& consoleLock() {
  static std::mutex lock;
  return lock;
}

void showBox(std::string_view text, os::BoxIcon icon = os::BoxIcon::none) {
  os::showMessageBox(kProductName, text, icon);
}

}  // namespace

void printNormal(std::string_view text) {
  if (!consoleMode) return showBox(text);
  std::lock_guard<std::mutex> hold(consoleLock());
  os::writeNormalLine(text);
}

void printError(std::string_view text) {
  if (!consoleMode) return showBox(text);
  std::lock_guard<std::mutex> hold(consoleLock());
  os::writeErrorLine(text);
}

void printNormal(const std::ostringstream& message) {
  printNormal(message.str());
}
void printError(const std::ostringstream& message) {
  printError(message.str());
}

void stdOutHandler(const char* text) {
  printNormal(text ? text : "");
}
void stdErrHandler(const char* text) {
  printError(text ? text : "");
}

void enableConsoleMode() {
  consoleMode = true;
}

void showEndOfRunNotice(int exitStatus, bool noDialogs, bool scriptChosenByDialog) {
  if (noDialogs) return;
  if (exitStatus != 0) {
    showBox(
        "Execution finished with an error.\nPlease review the error messages in the console "
        "window and then close the application.",
        os::BoxIcon::error);
  } else if (scriptChosenByDialog) {
    showBox(
        "Execution finished.\nYou can now review diagnostic messages in the console window and "
        "then close the application.");
  }
}

}  // namespace Velotrax
