// Helpers for driving the window operators directly: images made by a script and the messages
// the bridge sends to error output.
#pragma once

#include <string>
#include <vector>

#include "HDevEngineCpp.h"
#include "HalconCpp.h"

// A byte image of the given size, made by the make_image script.
HalconCpp::HObject makeImage(int width, int height);

// Collects the bridge's error output while it exists.
class ErrorCapture {
 public:
  ErrorCapture();
  ~ErrorCapture();
  ErrorCapture(const ErrorCapture&) = delete;
  ErrorCapture& operator=(const ErrorCapture&) = delete;
  std::vector<std::string> lines() const;
};

// True while the vision library knows the window handle.
bool windowExists(const HalconCpp::HTuple& window);
