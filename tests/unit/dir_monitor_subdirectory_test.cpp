// Linux: a subdirectory's entries are watched one level down, as the system's change filter
// reports them on Windows (where that is the system's own behaviour, which Wine does not copy).
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

#include <boost/asio/io_context.hpp>
#include <boost/filesystem.hpp>

#include "temp_directory.h"
#include "watch/dir_monitor.h"

namespace Velotrax {
namespace {

constexpr std::chrono::seconds kPatience{10};

class SubdirectoryTest : public testing::Test {
 protected:
  // The next event's path, or empty when none came in time. A wait given up on stays pending.
  std::string next() {
    if (!pending_) {
      pending_ = std::make_shared<std::string>();
      monitor_.waitForChange([waited = pending_](const boost::system::error_code& error,
                                                 const ChangeEvent& event) {
        *waited = error ? "error" : event.path + (event.kind == ChangeKind::modified ? " *" : "");
      });
    }
    context_.restart();
    context_.run_one_for(kPatience);
    const std::string path = *pending_;
    if (!path.empty()) pending_.reset();
    return path;
  }
  // Takes events until `path` (" *": modified) shows; false when it does not.
  bool seen(const std::string& path) {
    for (std::string got = next(); !got.empty() && got != "error"; got = next())
      if (got == path) return true;
    return false;
  }

  TempDirectory directory_;
  boost::asio::io_context context_;
  DirectoryMonitor monitor_{context_};
  std::shared_ptr<std::string> pending_;
};

TEST_F(SubdirectoryTest, CountsOnlyAsFarAsItsEntryChanges) {
  boost::filesystem::create_directories(directory_ / "sub/deeper");
  writeFile(directory_ / "sub/existing");
  monitor_.add_directory(directory_.name());
  // Writing into a file of the subdirectory, or anything deeper, changes no entry of it.
  writeFile(directory_ / "sub/deeper/inner.txt");
  writeFile(directory_ / "sub/existing", "more");
  writeFile(directory_ / "marker");
  for (std::string got = next(); got != directory_ / "marker"; got = next()) {
    ASSERT_FALSE(got.empty() || got == "error");
    EXPECT_EQ(got.find("/sub"), std::string::npos) << got;
  }
  const std::string sub = directory_ / "sub" + " *";
  writeFile(directory_ / "sub/new");
  EXPECT_TRUE(seen(sub));
  boost::filesystem::rename(directory_ / "sub/new", directory_ / "sub/renamed");
  EXPECT_TRUE(seen(sub));
  boost::filesystem::remove(directory_ / "sub/renamed");
  EXPECT_TRUE(seen(sub));
  // A subdirectory made while watching is reached too, once it was seen coming.
  boost::filesystem::create_directory(directory_ / "later");
  ASSERT_TRUE(seen(directory_ / "later"));
  writeFile(directory_ / "later/file");
  EXPECT_TRUE(seen(directory_ / "later" + " *"));
}

}  // namespace
}  // namespace Velotrax
