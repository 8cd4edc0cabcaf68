#include "dir_monitor.h"

#include "dir_monitor_impl.h"
#include "dir_monitor_service.h"

namespace Velotrax {

DirectoryMonitor::DirectoryMonitor(boost::asio::io_context& context)
    : service_(boost::asio::use_service<basic_dir_monitor_service>(context)),
      impl_(std::make_shared<dir_monitor_impl>()) {}

DirectoryMonitor::~DirectoryMonitor() {
  impl_->stop();
}

void DirectoryMonitor::add_directory(const std::string& name) {
  service_.add_directory(impl_, name);
}

void DirectoryMonitor::waitForChange(ChangeHandler handler) {
  service_.async_wait(impl_, std::move(handler));
}

}  // namespace Velotrax
