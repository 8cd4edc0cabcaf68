#include "change_ledger.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include <boost/filesystem/operations.hpp>

#include "os/file_io.h"

namespace fs = boost::filesystem;

namespace Velotrax {

namespace {

// A writer still at work changes the file again within this; a file that stayed the same for it
// is taken as written. Twenty looks at most, then a change that never settles counts.
constexpr std::chrono::milliseconds kSettleTime{50};
constexpr int kSettleLooks = 20;

constexpr std::uint64_t kFnvOffset = 14695981039346656037ull;
constexpr std::uint64_t kFnvPrime = 1099511628211ull;

std::uint64_t mix(std::uint64_t hash, const char* bytes, size_t length) {
  for (size_t i = 0; i < length; ++i)
    hash = (hash ^ static_cast<unsigned char>(bytes[i])) * kFnvPrime;
  return hash;
}

// The entry as it is now; a file's content hash too when `withHash` and it is small enough.
ChangeLedger::Entry look(const std::string& path, bool withHash) {
  ChangeLedger::Entry entry;
  boost::system::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (error || !fs::exists(status)) return entry;
  entry.exists = true;
  if (fs::is_directory(status)) {
    entry.directory = true;
    std::vector<std::string> names;
    for (fs::directory_iterator it(path, error), end; !error && it != end; it.increment(error))
      names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end());
    entry.hash = kFnvOffset;
    for (const std::string& name : names)
      entry.hash = mix(entry.hash, name.c_str(), name.size() + 1);
    entry.size = names.size();
    entry.hashed = true;
    return entry;
  }
  entry.size = fs::file_size(path, error);
  if (error) entry.size = 0;
  // The finest time the platform has (Boost's is in whole seconds): a touch right after a run
  // must show.
  std::error_code timeError;
  const auto written = std::filesystem::last_write_time(path, timeError);
  entry.modified = timeError ? 0 : static_cast<std::int64_t>(written.time_since_epoch().count());
  if (!withHash || entry.size > ChangeLedger::kLargestHashed) return entry;
  std::ifstream file(path, std::ios::binary);
  std::uint64_t hash = kFnvOffset;
  char buffer[64 * 1024];
  std::uintmax_t total = 0;
  while (file.read(buffer, sizeof buffer) || file.gcount() > 0) {
    hash = mix(hash, buffer, static_cast<size_t>(file.gcount()));
    total += static_cast<std::uintmax_t>(file.gcount());
    if (total > ChangeLedger::kLargestHashed) return entry;
  }
  if (file.bad()) return entry;
  entry.size = total;
  entry.hash = hash;
  entry.hashed = true;
  return entry;
}

bool sameContent(const ChangeLedger::Entry& now, const ChangeLedger::Entry& before) {
  if (now.exists != before.exists || now.directory != before.directory) return false;
  if (!now.exists) return true;
  if (now.size != before.size) return false;
  if (now.hashed && before.hashed) return now.hash == before.hash;
  return !now.directory && now.modified == before.modified;
}

bool sameEntry(const ChangeLedger::Entry& now, const ChangeLedger::Entry& before) {
  if (now.directory || !now.exists) return sameContent(now, before);
  return now.exists == before.exists && !before.directory && now.size == before.size &&
         now.modified == before.modified;
}

bool sameLook(const ChangeLedger::Entry& a, const ChangeLedger::Entry& b) {
  return sameEntry(a, b) && a.hashed == b.hashed && a.hash == b.hash;
}

}  // namespace

void ChangeLedger::watch(std::vector<std::string> directories) {
  std::lock_guard<std::mutex> hold(mutex_);
  directories_ = std::move(directories);
}

void ChangeLedger::ignore(std::vector<std::string> files) {
  std::lock_guard<std::mutex> hold(mutex_);
  ignored_ = std::move(files);
}

bool ChangeLedger::isIgnored(const std::string& path) {
  std::vector<std::string> ignored;
  {
    std::lock_guard<std::mutex> hold(mutex_);
    ignored = ignored_;
  }
  const fs::path changed(path);
  const std::string name = changed.filename().string();
  const bool temporary = name.rfind(os::ownTemporaryPrefix(), 0) == 0;
  for (const std::string& file : ignored) {
    const fs::path own(file);
    if (!temporary && name != own.filename().string()) continue;
    // The same directory, however either path spells it.
    boost::system::error_code error;
    if (fs::equivalent(changed.parent_path().empty() ? "." : changed.parent_path(),
                       own.parent_path().empty() ? "." : own.parent_path(), error))
      return true;
  }
  return false;
}

void ChangeLedger::beginRun() {
  std::lock_guard<std::mutex> hold(mutex_);
  running_ = true;
}

void ChangeLedger::record() {
  std::vector<std::string> directories;
  std::map<std::string, Entry> before;
  bool first;
  {
    std::lock_guard<std::mutex> hold(mutex_);
    directories = directories_;
    before = entries_;
    first = !recorded_;
  }
  std::map<std::string, Entry> now;
  for (const std::string& directory : directories) {
    boost::system::error_code error;
    for (fs::directory_iterator it(directory, error), end; !error && it != end;
         it.increment(error)) {
      const std::string path = it->path().string();
      Entry entry = look(path, false);
      const auto old = before.find(path);
      if (old != before.end() && sameEntry(entry, old->second))
        entry = old->second;  // unchanged: its hash, if it has one, still holds
      else if (!first && !entry.directory)
        entry = look(path, true);  // changed since the last record: what it holds now
      now[path] = entry;
    }
  }
  std::lock_guard<std::mutex> hold(mutex_);
  entries_ = std::move(now);
  recorded_ = true;
  running_ = false;
}

ChangeLedger::Entry ChangeLedger::recorded(const std::string& path) {
  const auto found = entries_.find(path);
  return found == entries_.end() ? Entry{} : found->second;
}

bool ChangeLedger::counts(const std::string& path) {
  if (isIgnored(path)) return false;
  Entry before;
  bool running;
  {
    std::lock_guard<std::mutex> hold(mutex_);
    before = recorded(path);
    running = running_;
  }
  if (!running) return !sameEntry(look(path, false), before);
  for (int looks = 1;; ++looks) {
    const Entry now = look(path, before.hashed);
    if (sameContent(now, before)) return false;
    if (looks == kSettleLooks) return true;
    std::this_thread::sleep_for(kSettleTime);
    if (sameLook(look(path, before.hashed), now)) return true;
  }
}

}  // namespace Velotrax
