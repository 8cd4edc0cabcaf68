// Everything the runner shows its user: message boxes until the command line is understood,
// the console afterwards, and the end-of-run notice.
#pragma once

#include <sstream>
#include <string>
#include <string_view>

namespace Velotrax {

constexpr std::string_view kProductName = "Velotrax";

// Writes one normal message: a message box, or a line on standard output.
void printNormal(std::string_view text);
void printNormal(const std::ostringstream& message);

// Writes one error message (warnings too): a message box, or a bright red line on standard error.
void printError(std::string_view text);
void printError(const std::ostringstream& message);

// Output handlers handed to the engine bridge; engine threads may call them at any time.
void stdOutHandler(const char* text);
void stdErrHandler(const char* text);

// What one run printed, for its report.
struct MessageCapture {
  std::string out;        // normal messages, one per line
  std::string err;        // errors and warnings, one per line
  std::string lastError;  // the last error message
};

// While a capture is set, every message is also appended to it; nullptr ends the capture.
void captureMessages(MessageCapture* capture);

// From now on messages go to the console. Called once, after the command line is understood.
void enableConsoleMode();

// The message box that ends a run, so a closing console window can still be read.
void showEndOfRunNotice(int exitStatus, bool noDialogs, bool scriptChosenByDialog);

}  // namespace Velotrax
