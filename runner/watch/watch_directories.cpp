#include "watch_directories.h"

#include <atomic>
#include <exception>
#include <sstream>

#include <boost/asio/io_context.hpp>

#include "common/messages.h"
#include "dir_monitor.h"

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

void WatchStop::request() {
  std::lock_guard<std::mutex> hold(mutex_);
  requested_ = true;
  if (context_) context_->stop();
}

bool WatchStop::attach(boost::asio::io_context& context) {
  std::lock_guard<std::mutex> hold(mutex_);
  if (requested_) return false;
  context_ = &context;
  return true;
}

void WatchStop::detach() {
  std::lock_guard<std::mutex> hold(mutex_);
  context_ = nullptr;
}

void watchDirectories(const std::vector<std::string>& directories, const WatchCallbacks& callbacks,
                      WatchStop* stop) {
  const bool verbose = callbacks.verbose;
  boost::asio::io_context context;
  DirectoryMonitor monitor(context);
  bool all = true;
  for (const std::string& name : directories) {
    if (verbose) printNormal("adding watch for directory \"" + name + "\"");
    try {
      monitor.add_directory(name);
    } catch (const std::exception& error) {
      reportSkipped(name, error, verbose);
      all = false;
    }
  }
  if (verbose) printNormal("starting watch mode");
  if (callbacks.watching) callbacks.watching(all);
  // Each change that is to be followed by more starts the next wait. With nothing watched the
  // wait never ends: only a stop does.
  ChangeHandler next;
  next = [&](const boost::system::error_code& error, const ChangeEvent& event) {
    if (!error && callbacks.changed && callbacks.changed(event.path)) monitor.waitForChange(next);
  };
  monitor.waitForChange(next);
  if (stop && !stop->attach(context)) return;
  try {
    context.run();
  } catch (...) {
    if (stop) stop->detach();
    throw;
  }
  if (stop) stop->detach();
}

}  // namespace Velotrax
