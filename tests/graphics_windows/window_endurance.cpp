// Opens, draws into and closes library windows many times and reports how the process's
// resident memory and the window system's resources changed over the cycles. Exit status 1
// when memory grew by 1 MiB or more (not judged in a sanitizer build), or resources were left
// behind.
//
//   standin_window_endurance [CYCLES]     (default 10000)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "../sanitized_build.h"
#include "HDevEngineCpp.h"
#include "native_probe.h"

using namespace HalconCpp;
namespace fs = std::filesystem;

namespace {

// Cycles run before the first measurement, so that allocator pools and the window system's
// caches have reached their working size.
constexpr int kWarmUp = 200;
constexpr int64_t kAllowedGrowth = 1 << 20;

// An image and two regions, made once by a script.
HObject makeObjects() {
  const fs::path dir = fs::temp_directory_path() / "standin-endurance";
  fs::create_directories(dir);
  std::ofstream(dir / "endurance_objects.hdvp")
      << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<hdevelop file_version=\"1.1\" halcon_version=\"13.0\">\n"
         "<procedure name=\"endurance_objects\">\n<interface><oo>"
         "<par name=\"Objects\" base_type=\"iconic\" dimension=\"0\"/></oo></interface>\n<body>\n"
         "<l>gen_image_const (Image, 'byte', 64, 48)</l>\n"
         "<l>gen_rectangle1 (Box, 5, 5, 30, 50)</l>\n"
         "<l>gen_circle (Disc, 24, 32, 12)</l>\n"
         "<l>concat_obj (Image, Box, Both)</l>\n"
         "<l>concat_obj (Both, Disc, Objects)</l>\n"
         "</body>\n</procedure>\n</hdevelop>\n";
  HDevEngineCpp::HDevEngine().AddProcedurePath(dir.string().c_str());
  HDevEngineCpp::HDevProcedure procedure("endurance_objects");
  HDevEngineCpp::HDevProcedureCall call(procedure);
  call.Execute();
  HObject objects = call.GetOutputIconicParamObject(1);
  fs::remove_all(dir);
  return objects;
}

// One open/draw/close cycle; returns the window's native handle.
int64_t cycle(const HObject& objects, int i) {
  HTuple w, os, display;
  OpenWindow(HTuple(10 + i % 50), HTuple(10 + i % 70), HTuple(320), HTuple(240), HTuple(0),
             HTuple("visible"), HTuple(""), &w);
  SetWindowParam(w, HTuple("background_color"), HTuple("black"));
  ClearWindow(w);
  SetPart(w, HTuple(0), HTuple(0), HTuple(47), HTuple(63));
  SetColored(w, HTuple(3));
  DispObj(objects, w);
  SetDraw(w, HTuple("margin"));
  SetLineWidth(w, HTuple(3));
  DispObj(objects, w);
  DispText(w, HTuple("cycle"), HTuple("window"), HTuple(5), HTuple(5), HTuple("white"), HTuple(),
           HTuple());
  SetWindowExtents(w, HTuple(20), HTuple(20), HTuple(300), HTuple(200));
  GetOsWindowHandle(w, &os, &display);
  CloseWindow(w);
  return os[0].L();
}

}  // namespace

int main(int argc, char** argv) {
  const int cycles = argc > 1 ? std::atoi(argv[1]) : 10000;
  try {
    const HObject objects = makeObjects();
    int64_t library = 0;  // a window id of the library's window-system connection
    for (int i = 0; i < kWarmUp; ++i) library = cycle(objects, i);
    const int64_t rssBefore = residentBytes();
    const NativeResources before = nativeResources(library);
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < cycles; ++i) cycle(objects, i);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const int64_t rssAfter = residentBytes();
    const NativeResources after = nativeResources(library);
    const int64_t growth = rssAfter - rssBefore;
    std::printf("%d cycles in %.1f s (%s)\n", cycles, seconds,
                library ? "screen windows" : "headless");
    std::printf("resident memory: %lld KiB before, %lld KiB after, growth %lld KiB\n",
                static_cast<long long>(rssBefore / 1024), static_cast<long long>(rssAfter / 1024),
                static_cast<long long>(growth / 1024));
    std::printf("window system before: %lld (%s)\n", static_cast<long long>(before.total),
                before.detail.c_str());
    std::printf("window system after:  %lld (%s)\n", static_cast<long long>(after.total),
                after.detail.c_str());
    // A sanitizer's allocator keeps freed memory aside: there only the resources are judged.
    const bool ok = (kSanitizedBuild || growth < kAllowedGrowth) && after.total == before.total;
    std::printf("%s\n", ok ? "endurance passed" : "endurance FAILED");
    return ok ? 0 : 1;
  } catch (const HException& e) {
    std::printf("library error %d: %s\n", e.ErrorCode(), e.ErrorMessage().Text());
  } catch (const HDevEngineCpp::HDevEngineException& e) {
    std::printf("engine error %d: %s\n", e.HalconErrorCode(), e.Message());
  }
  return 1;
}
