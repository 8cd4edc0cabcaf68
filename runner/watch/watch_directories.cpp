#include "watch_directories.h"

#include <atomic>
#include <exception>
#include <sstream>
#include <stdexcept>

#include <boost/asio/io_context.hpp>

#include "dir_monitor.h"
#include "frontend/console.h"
#include "frontend/run_settings.h"

namespace Velotrax {

namespace {

// The hint follows the first such message of the process only.
std::atomic<bool> hintShown{false};

void reportSkipped(const std::string& name, const std::exception& error, bool verbose) {
  std::ostringstream message;
  message << "could not add directory \"" << name
          << "\" to the list of watched directories. Watch Mode for this directory will be "
             "ignored. ";
  if (!hintShown.exchange(true))
    message << "This problem might e.g. occur if the network redirector or the target file system "
               "does not support file change notifications. In this case, try to copy the files "
               "to be watched to a local directory and try again.";
  if (verbose) message << " Error details: " << error.what();
  printError(message);
}

}  // namespace

void watchDirectories(const std::vector<std::string>& directories,
                      const WatchCallbacks& callbacks) {
  const bool verbose = runSettings().verbose;
  boost::asio::io_context context;
  DirectoryMonitor monitor(context);
  bool watching = false;
  for (const std::string& name : directories) {
    if (verbose) printNormal("adding watch for directory \"" + name + "\"");
    try {
      monitor.add_directory(name);
      watching = true;
    } catch (const std::exception& error) {
      reportSkipped(name, error, verbose);
    }
  }
  if (!watching) throw std::runtime_error("none of the directories could be watched");
  if (verbose) printNormal("starting watch mode");
  if (callbacks.watching) callbacks.watching();
  monitor.waitForChange([&callbacks](const boost::system::error_code& error, const ChangeEvent&) {
    if (!error && callbacks.changed) callbacks.changed();
  });
  context.run();
}

}  // namespace Velotrax
