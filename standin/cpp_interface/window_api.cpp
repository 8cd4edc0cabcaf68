// Window operators of the C++ interface: each passes its tuples to the library's window
// code, which draws into the window's picture and shows it in a screen window.
#include "access.h"
#include "fault_injection.h"
#include "window_operators.h"

namespace HalconCpp {
namespace {

const standin::Value& v(const HTuple& t) {
  return HTupleAccess::value(t);
}

void put(HTuple* out, standin::Value value) {
  if (out) *out = HTupleAccess::make(std::move(value));
}

}  // namespace

namespace win = standin::window;

void OpenWindow(const HTuple& row, const HTuple& column, const HTuple& width, const HTuple& height,
                const HTuple& fatherWindow, const HTuple& mode, const HTuple& machine,
                HTuple* windowHandle) {
  standin::throwArmedLibraryFault("open_window");
  const int64_t handle =
      win::openWindow(v(row), v(column), v(width), v(height), v(fatherWindow), v(mode), v(machine));
  put(windowHandle, standin::Value::ofInt(handle));
}

void CloseWindow(const HTuple& windowHandle) {
  win::closeWindow(v(windowHandle));
}

void ClearWindow(const HTuple& windowHandle) {
  win::clearWindow(v(windowHandle));
}

void SetWindowParam(const HTuple& windowHandle, const HTuple& paramName, const HTuple& paramValue) {
  win::setWindowParam(v(windowHandle), v(paramName), v(paramValue));
}

void GetPart(const HTuple& windowHandle, HTuple* row1, HTuple* column1, HTuple* row2,
             HTuple* column2) {
  auto part = win::getPart(v(windowHandle));
  put(row1, part[0]);
  put(column1, part[1]);
  put(row2, part[2]);
  put(column2, part[3]);
}

void SetPart(const HTuple& windowHandle, const HTuple& row1, const HTuple& column1,
             const HTuple& row2, const HTuple& column2) {
  win::setPart(v(windowHandle), v(row1), v(column1), v(row2), v(column2));
}

void GetWindowExtents(const HTuple& windowHandle, HTuple* row, HTuple* column, HTuple* width,
                      HTuple* height) {
  auto extents = win::getWindowExtents(v(windowHandle));
  put(row, extents[0]);
  put(column, extents[1]);
  put(width, extents[2]);
  put(height, extents[3]);
}

void SetWindowExtents(const HTuple& windowHandle, const HTuple& row, const HTuple& column,
                      const HTuple& width, const HTuple& height) {
  win::setWindowExtents(v(windowHandle), v(row), v(column), v(width), v(height));
}

void GetOsWindowHandle(const HTuple& windowHandle, HTuple* osWindowHandle,
                       HTuple* osDisplayHandle) {
  auto handles = win::getOsWindowHandle(v(windowHandle));
  put(osWindowHandle, handles[0]);
  put(osDisplayHandle, handles[1]);
}

void DispText(const HTuple& windowHandle, const HTuple& string, const HTuple& coordSystem,
              const HTuple& row, const HTuple& column, const HTuple& color,
              const HTuple& genParamName, const HTuple& genParamValue) {
  win::dispText(v(windowHandle), v(string), v(coordSystem), v(row), v(column), v(color),
                v(genParamName), v(genParamValue));
}

void SetColor(const HTuple& windowHandle, const HTuple& color) {
  win::setColor(v(windowHandle), v(color));
}

void SetColored(const HTuple& windowHandle, const HTuple& numberOfColors) {
  win::setColored(v(windowHandle), v(numberOfColors));
}

void SetDraw(const HTuple& windowHandle, const HTuple& mode) {
  win::setDraw(v(windowHandle), v(mode));
}

void SetShape(const HTuple& windowHandle, const HTuple& shape) {
  win::setShape(v(windowHandle), v(shape));
}

void SetLut(const HTuple& windowHandle, const HTuple& lookUpTable) {
  win::setLut(v(windowHandle), v(lookUpTable));
}

void SetPaint(const HTuple& windowHandle, const HTuple& mode) {
  win::setPaint(v(windowHandle), v(mode));
}

void SetLineWidth(const HTuple& windowHandle, const HTuple& width) {
  win::setLineWidth(v(windowHandle), v(width));
}

void DispObj(const HObject& object, const HTuple& windowHandle) {
  win::dispObj(HObjectAccess::object(object), v(windowHandle));
}

void DumpWindow(const HTuple& windowHandle, const HTuple& device, const HTuple& fileName) {
  win::dumpWindow(v(windowHandle), v(device), v(fileName));
}

}  // namespace HalconCpp
