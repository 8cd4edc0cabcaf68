#include "window_stack_impl.h"

#include <algorithm>

using namespace HalconCpp;

template <typename Fn>
int WindowStackImpl::onActive(Fn fn) {
  std::lock_guard<std::mutex> guard(lock_);
  if (stack_.empty()) return 2;
  try {
    fn(stack_.back());
  } catch (const HException& e) {
    return e.ErrorCode();
  }
  return 2;
}

int WindowStackImpl::OnOpenWindow(const HTuple& row, const HTuple& column, const HTuple& width,
                                  const HTuple& height, const HTuple& background, HTuple* handle) {
  std::lock_guard<std::mutex> guard(lock_);
  try {
    HTuple window;
    OpenWindow(row, column, width, height, HTuple(0), HTuple("visible"), HTuple(""), &window);
    try {
      SetWindowParam(window, HTuple("background_color"), background);
      ClearWindow(window);
    } catch (const HException&) {
      CloseWindow(window);
      throw;
    }
    stack_.push_back(window);
    if (handle) *handle = window;
  } catch (const HException& e) {
    return e.ErrorCode();
  }
  return 2;
}

int WindowStackImpl::OnCloseWindow() {
  std::lock_guard<std::mutex> guard(lock_);
  if (stack_.empty()) return 2;
  try {
    CloseWindow(stack_.back());
  } catch (const HException& e) {
    return e.ErrorCode();
  }
  stack_.pop_back();
  return 2;
}

int WindowStackImpl::OnClearWindow() {
  return onActive([](const HTuple& w) { ClearWindow(w); });
}

int WindowStackImpl::OnSetActiveWindow(const HTuple& handle) {
  std::lock_guard<std::mutex> guard(lock_);
  auto it = std::find(stack_.begin(), stack_.end(), handle);
  if (it != stack_.end()) std::rotate(it, it + 1, stack_.end());
  return 2;
}

int WindowStackImpl::OnGetActiveWindow(HTuple* handle) {
  std::lock_guard<std::mutex> guard(lock_);
  if (handle) *handle = stack_.empty() ? HTuple(-1) : stack_.back();
  return 2;
}

int WindowStackImpl::OnDisplayObject(const HObject& object) {
  return onActive([&](const HTuple& w) { DispObj(object, w); });
}

int WindowStackImpl::OnDisplayText(const HTuple& string, const HTuple& coordSystem,
                                   const HTuple& row, const HTuple& column, const HTuple& color,
                                   const HTuple& genParamName, const HTuple& genParamValue) {
  return onActive([&](const HTuple& w) {
    DispText(w, string, coordSystem, row, column, color, genParamName, genParamValue);
  });
}

int WindowStackImpl::OnSetWindowExtents(const HTuple& row, const HTuple& column,
                                        const HTuple& width, const HTuple& height) {
  return onActive([&](const HTuple& w) { SetWindowExtents(w, row, column, width, height); });
}

int WindowStackImpl::OnSetDraw(const HTuple& v) {
  return onActive([&](const HTuple& w) { SetDraw(w, v); });
}
int WindowStackImpl::OnSetShape(const HTuple& v) {
  return onActive([&](const HTuple& w) { SetShape(w, v); });
}
int WindowStackImpl::OnSetColored(const HTuple& v) {
  return onActive([&](const HTuple& w) { SetColored(w, v); });
}
int WindowStackImpl::OnSetColor(const HTuple& v) {
  return onActive([&](const HTuple& w) { SetColor(w, v); });
}
int WindowStackImpl::OnSetLut(const HTuple& v) {
  return onActive([&](const HTuple& w) { SetLut(w, v); });
}
int WindowStackImpl::OnSetPaint(const HTuple& v) {
  return onActive([&](const HTuple& w) { SetPaint(w, v); });
}
int WindowStackImpl::OnSetLineWidth(const HTuple& v) {
  return onActive([&](const HTuple& w) { SetLineWidth(w, v); });
}

int WindowStackImpl::OnSetPart(const HTuple& row1, const HTuple& column1, const HTuple& row2,
                               const HTuple& column2) {
  return onActive([&](const HTuple& w) { SetPart(w, row1, column1, row2, column2); });
}

std::vector<HTuple> WindowStackImpl::windows() {
  std::lock_guard<std::mutex> guard(lock_);
  return stack_;
}
