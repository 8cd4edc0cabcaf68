#include "messages.h"

#include <mutex>
#include <string>

#include "os/console_output.h"
#include "os/dialogs.h"

namespace Velotrax {

namespace {

// Set once by the main thread before any other thread exists.
bool consoleMode = false;

// Guarded by the console lock.
MessageCapture* capture = nullptr;

// Keeps whole messages, colour change included, from interleaving.
std::mutex& consoleLock() {
  static std::mutex lock;
  return lock;
}

void showBox(std::string_view text, os::BoxIcon icon = os::BoxIcon::none) {
  os::showMessageBox(kProductName, text, icon);
}

void captureLine(std::string& into, std::string_view text) {
  into.append(text);
  if (into.empty() || into.back() != '\n') into += '\n';
}

}  // namespace

// A message box is shown outside the lock: it waits for the user.
void printNormal(std::string_view text) {
  std::unique_lock<std::mutex> hold(consoleLock());
  if (capture) captureLine(capture->out, text);
  if (!consoleMode) {
    hold.unlock();
    return showBox(text);
  }
  os::writeNormalLine(text);
}

void printError(std::string_view text) {
  std::unique_lock<std::mutex> hold(consoleLock());
  if (capture) {
    captureLine(capture->err, text);
    capture->lastError = text;
  }
  if (!consoleMode) {
    hold.unlock();
    return showBox(text);
  }
  os::writeErrorLine(text);
}

void captureMessages(MessageCapture* into) {
  std::lock_guard<std::mutex> hold(consoleLock());
  capture = into;
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
