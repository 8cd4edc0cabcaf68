// Tells the changes that count from a run's own writes that change nothing: what the watched
// directories' entries held after the last run, and whether a reported change differs from it.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace Velotrax {

class ChangeLedger {
 public:
  // The directories whose direct entries are recorded.
  void watch(std::vector<std::string> directories);

  // Files the runner writes after every pass (the report), whose content differs each time: their
  // changes, and those of the temporaries they are written through, never count. Without this a
  // report in a watched directory would start one pass after another.
  void ignore(std::vector<std::string> files);

  // A run begins: changes reported from now on count only when the content changed.
  void beginRun();
  // Records what the entries hold now (after a run; before the first one), with the content of
  // the files that changed since the last record: those the monitor reports. Changes reported
  // from now on count when the entry differs at all: a file's time or size (a plain touch too),
  // a directory's list of names.
  void record();

  // Whether a change the monitor reported for `path` counts. During a run it counts once the
  // content settled on something other than what it held after the last run; a file rewritten
  // with the same content does not count. May wait for a writer to finish, a second at most.
  bool counts(const std::string& path);

  // What an entry is taken to hold. Files above kLargestHashed bytes are judged by size and time
  // alone: each rewrite of them counts.
  struct Entry {
    bool exists = false;
    bool directory = false;
    std::uintmax_t size = 0;    // a directory: its number of entries
    std::int64_t modified = 0;  // a file's last write time, in the finest unit at hand
    bool hashed = false;        // a file's content hash is known
    std::uint64_t hash = 0;     // the content of a file; the names in a directory
  };
  static constexpr std::uintmax_t kLargestHashed = 64 * 1024 * 1024;

 private:
  Entry recorded(const std::string& path);
  bool isIgnored(const std::string& path);

  std::mutex mutex_;
  std::vector<std::string> directories_;
  std::vector<std::string> ignored_;
  std::map<std::string, Entry> entries_;
  bool recorded_ = false;
  bool running_ = false;
};

}  // namespace Velotrax
