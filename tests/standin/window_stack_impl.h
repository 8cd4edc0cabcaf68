// A plain window stack over the library's window operators, for the test driver and the
// window tests: scripts' dev_ operators open, draw into and close real library windows. It
// applies each operator to the active window and nothing more (no remembered settings, no
// part adaptation); the bridge brings the full implementation.
#pragma once

#include <mutex>
#include <vector>

#include "HDevEngineCpp.h"

class WindowStackImpl : public HDevEngineCpp::HDevOperatorImplCpp {
 public:
  using HTuple = HalconCpp::HTuple;

  int OnOpenWindow(const HTuple& row, const HTuple& column, const HTuple& width,
                   const HTuple& height, const HTuple& background, HTuple* handle) override;
  int OnCloseWindow() override;
  int OnClearWindow() override;
  int OnSetActiveWindow(const HTuple& handle) override;
  int OnGetActiveWindow(HTuple* handle) override;
  int OnDisplayObject(const HalconCpp::HObject& object) override;
  int OnDisplayText(const HTuple& string, const HTuple& coordSystem, const HTuple& row,
                    const HTuple& column, const HTuple& color, const HTuple& genParamName,
                    const HTuple& genParamValue) override;
  int OnSetWindowExtents(const HTuple& row, const HTuple& column, const HTuple& width,
                         const HTuple& height) override;
  int OnSetDraw(const HTuple& value) override;
  int OnSetShape(const HTuple& value) override;
  int OnSetColored(const HTuple& value) override;
  int OnSetColor(const HTuple& value) override;
  int OnSetLut(const HTuple& value) override;
  int OnSetPaint(const HTuple& value) override;
  int OnSetPart(const HTuple& row1, const HTuple& column1, const HTuple& row2,
                const HTuple& column2) override;
  int OnSetLineWidth(const HTuple& value) override;

  // The open windows, the active one last.
  std::vector<HTuple> windows();

 private:
  // Runs fn(active window) under the lock; 2 without a window, the error code on failure.
  template <typename Fn>
  int onActive(Fn fn);

  std::mutex lock_;
  std::vector<HTuple> stack_;
};
