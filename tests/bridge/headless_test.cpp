// Windows without a screen (Linux without DISPLAY): a window that should fill its monitor but
// has no native window is reported, and stays open.
#include <string>
#include <vector>

#include "bridge_client.h"
#include "test_framework.h"

TEST(Headless, FullscreenWithoutANativeWindowIsReported) {
  startEngine();
  const HandlerOutput output;
  bridge().hsetFullscreen(1);
  const Tuple width = tupleOf(320), height = tupleOf(240);
  const std::vector<Tuple> opened = run("open_window", {&width, &height});
  bridge().hsetFullscreen(0);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(output.error(), std::vector<std::string>{
                                "fullscreen: got invalid window handle from GetOsWindowHandle"});
  // The window stays open and active.
  const std::vector<Tuple> active = run("active_window");
  ASSERT_EQ(active.size(), 1u);
  EXPECT_EQ(longsOf(active[0]), longsOf(opened[0]));
  closeAllWindows();
}
