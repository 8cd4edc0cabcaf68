// Helpers for window tests: scripts whose dev_ operators open real library windows, their
// dumps read back as pictures, and error codes of library calls.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "picture.h"
#include "script_fixture.h"
#include "window_stack_impl.h"

constexpr Rgb kBlack{0, 0, 0}, kWhite{255, 255, 255}, kRed{255, 0, 0}, kGreen{0, 255, 0},
    kBlue{0, 0, 255};

class WindowScriptTest : public ScriptTest {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Runs the program lines, which open window W, then dumps W and reads the dump back.
  Picture draw(std::vector<std::string> lines);
  // The first iconic output of a procedure made of the lines (output parameter Obj).
  HalconCpp::HObject objectFrom(const std::vector<std::string>& lines);

  WindowStackImpl impl;
};

// The library error code fn raises, 0 when it raises none.
int codeOf(const std::function<void()>& fn);

// True when the tests run with a screen (VELOTRAX_EXPECT_SCREEN=1), so that every visible
// window must be a native one.
bool screenExpected();
