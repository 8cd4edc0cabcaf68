// The monitor's event queue on its own.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include <boost/asio/error.hpp>

#include "watch/dir_monitor_impl.h"

namespace Velotrax {
namespace {

TEST(MonitorQueue, FirstInFirstOut) {
  dir_monitor_impl impl;
  impl.queueEvent({"a", ChangeKind::added});
  impl.queueEvent({"b", ChangeKind::removed});
  auto [error, event] = impl.takeNextEvent();
  EXPECT_FALSE(error);
  EXPECT_EQ(event.path, "a");
  EXPECT_EQ(impl.takeNextEvent().second.path, "b");
}

TEST(MonitorQueue, QueueNobodyEmptiesEndsInOneOverflow) {
  dir_monitor_impl impl;
  constexpr int kMany = 40000;
  for (int i = 0; i < kMany; ++i) impl.queueEvent({std::to_string(i), ChangeKind::added});
  int plain = 0;
  ChangeEvent event;
  while ((event = impl.takeNextEvent().second).kind == ChangeKind::added) {
    EXPECT_EQ(event.path, std::to_string(plain));
    ++plain;
  }
  EXPECT_EQ(plain, 32768);
  EXPECT_EQ(event.kind, ChangeKind::overflow);
  EXPECT_EQ(event.path, "");
  // Room again: later events queue normally.
  impl.queueEvent({"later", ChangeKind::modified});
  EXPECT_EQ(impl.takeNextEvent().second.path, "later");
}

TEST(MonitorQueue, StopWakesTheTakerAndDropsLaterEvents) {
  dir_monitor_impl impl;
  std::thread taker([&] {
    const auto [error, event] = impl.takeNextEvent();
    EXPECT_EQ(error, boost::asio::error::operation_aborted);
    EXPECT_EQ(event.path, "");
  });
  impl.stop();
  taker.join();
  impl.queueEvent({"late", ChangeKind::added});
  EXPECT_EQ(impl.takeNextEvent().first, boost::asio::error::operation_aborted);
}

}  // namespace
}  // namespace Velotrax
