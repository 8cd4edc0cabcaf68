#include "dev_operators.h"

#include <exception>

#include "HDevEngineCpp.h"
#include "access.h"
#include "engine_state.h"
#include "errors.h"

namespace standin::engine {
namespace {

using HalconCpp::HObjectAccess;
using HalconCpp::HTuple;
using HalconCpp::HTupleAccess;
using Impl = HDevEngineCpp::HDevOperatorImplCpp;

HTuple tuple(const Value& v) {
  return HTupleAccess::make(v);
}

// Calls the implementation; a status other than H_MSG_TRUE fails the script line.
template <typename Fn>
void route(const char* op, Fn fn) {
  Impl* impl = engineState().operatorImpl;
  if (!impl) return;  // without an implementation window operators do nothing
  int status;
  try {
    status = fn(*impl);
  } catch (const HalconCpp::HException&) {
    throw;
  } catch (const std::exception& e) {
    raise(op, err::kOperatorImpl,
          std::string("Window operator implementation failed: ") + e.what());
  } catch (...) {
    raise(op, err::kOperatorImpl);
  }
  if (status != H_MSG_TRUE) raise(op, status);
}

void openWindow(OpCall& c) {
  HTuple handle;
  route("dev_open_window", [&](Impl& i) {
    return i.OnOpenWindow(tuple(c.ctrlIn[0]), tuple(c.ctrlIn[1]), tuple(c.ctrlIn[2]),
                          tuple(c.ctrlIn[3]), tuple(c.ctrlIn[4]), &handle);
  });
  c.ctrlOut[0] = engineState().operatorImpl ? HTupleAccess::value(handle) : Value::ofInt(-1);
}

void closeWindow(OpCall&) {
  route("dev_close_window", [](Impl& i) { return i.OnCloseWindow(); });
}
void clearWindow(OpCall&) {
  route("dev_clear_window", [](Impl& i) { return i.OnClearWindow(); });
}

void setWindow(OpCall& c) {
  route("dev_set_window", [&](Impl& i) { return i.OnSetActiveWindow(tuple(c.ctrlIn[0])); });
}

void getWindow(OpCall& c) {
  HTuple handle(-1);
  route("dev_get_window", [&](Impl& i) { return i.OnGetActiveWindow(&handle); });
  c.ctrlOut[0] = HTupleAccess::value(handle);
}

void display(OpCall& c) {
  HalconCpp::HObject object;
  HObjectAccess::object(object) = c.iconicIn[0];
  route("dev_display", [&](Impl& i) { return i.OnDisplayObject(object); });
}

void dispText(OpCall& c) {
  route("dev_disp_text", [&](Impl& i) {
    return i.OnDisplayText(tuple(c.ctrlIn[0]), tuple(c.ctrlIn[1]), tuple(c.ctrlIn[2]),
                           tuple(c.ctrlIn[3]), tuple(c.ctrlIn[4]), tuple(c.ctrlIn[5]),
                           tuple(c.ctrlIn[6]));
  });
}

void setWindowExtents(OpCall& c) {
  route("dev_set_window_extents", [&](Impl& i) {
    return i.OnSetWindowExtents(tuple(c.ctrlIn[0]), tuple(c.ctrlIn[1]), tuple(c.ctrlIn[2]),
                                tuple(c.ctrlIn[3]));
  });
}

void setPart(OpCall& c) {
  route("dev_set_part", [&](Impl& i) {
    return i.OnSetPart(tuple(c.ctrlIn[0]), tuple(c.ctrlIn[1]), tuple(c.ctrlIn[2]),
                       tuple(c.ctrlIn[3]));
  });
}

#define STANDIN_DEV_SETTER(fn, opName, method)                            \
  void fn(OpCall& c) {                                                    \
    route(opName, [&](Impl& i) { return i.method(tuple(c.ctrlIn[0])); }); \
  }
STANDIN_DEV_SETTER(setDraw, "dev_set_draw", OnSetDraw)
STANDIN_DEV_SETTER(setShape, "dev_set_shape", OnSetShape)
STANDIN_DEV_SETTER(setColored, "dev_set_colored", OnSetColored)
STANDIN_DEV_SETTER(setColor, "dev_set_color", OnSetColor)
STANDIN_DEV_SETTER(setLut, "dev_set_lut", OnSetLut)
STANDIN_DEV_SETTER(setPaint, "dev_set_paint", OnSetPaint)
STANDIN_DEV_SETTER(setLineWidth, "dev_set_line_width", OnSetLineWidth)
#undef STANDIN_DEV_SETTER

// dev_update_off / dev_update_on only matter inside the IDE.
void noEffect(OpCall&) {}

const OperatorDef kTable[] = {
    {"dev_open_window", 0, 0, 5, 1, openWindow},
    {"dev_close_window", 0, 0, 0, 0, closeWindow},
    {"dev_clear_window", 0, 0, 0, 0, clearWindow},
    {"dev_set_window", 0, 0, 1, 0, setWindow},
    {"dev_get_window", 0, 0, 0, 1, getWindow},
    {"dev_display", 1, 0, 0, 0, display},
    {"dev_disp_text", 0, 0, 7, 0, dispText},
    {"dev_set_window_extents", 0, 0, 4, 0, setWindowExtents},
    {"dev_set_part", 0, 0, 4, 0, setPart},
    {"dev_set_draw", 0, 0, 1, 0, setDraw},
    {"dev_set_shape", 0, 0, 1, 0, setShape},
    {"dev_set_colored", 0, 0, 1, 0, setColored},
    {"dev_set_color", 0, 0, 1, 0, setColor},
    {"dev_set_lut", 0, 0, 1, 0, setLut},
    {"dev_set_paint", 0, 0, 1, 0, setPaint},
    {"dev_set_line_width", 0, 0, 1, 0, setLineWidth},
    {"dev_update_off", 0, 0, 0, 0, noEffect},
    {"dev_update_on", 0, 0, 0, 0, noEffect},
};

}  // namespace

const OperatorDef* findDevOperator(std::string_view name) {
  for (const auto& def : kTable)
    if (name == def.name) return &def;
  return nullptr;
}

}  // namespace standin::engine
