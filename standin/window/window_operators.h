// The library's window operators on library values. Parameters are numbered as the
// operators' control parameters (the window handle is parameter 1; disp_obj's object is not
// counted), so failures carry the library's 1200 + n / 1300 + n / 1400 + n codes.
#pragma once

#include <array>

#include "object.h"
#include "value.h"

namespace standin::window {

// open_window: returns the new window's handle.
int64_t openWindow(const Value& row, const Value& column, const Value& width, const Value& height,
                   const Value& fatherWindow, const Value& mode, const Value& machine);
void closeWindow(const Value& window);
void clearWindow(const Value& window);
void setWindowParam(const Value& window, const Value& name, const Value& value);
// row1, column1, row2, column2.
std::array<Value, 4> getPart(const Value& window);
void setPart(const Value& window, const Value& row1, const Value& column1, const Value& row2,
             const Value& column2);
// row, column, width, height.
std::array<Value, 4> getWindowExtents(const Value& window);
void setWindowExtents(const Value& window, const Value& row, const Value& column,
                      const Value& width, const Value& height);
// The OS window handle and display connection, 0 and 0 for a headless window.
std::array<Value, 2> getOsWindowHandle(const Value& window);
void dispObj(const Object& object, const Value& window);
void dispText(const Value& window, const Value& string, const Value& coordSystem, const Value& row,
              const Value& column, const Value& color, const Value& genParamName,
              const Value& genParamValue);
// Writes the window's picture to a file: device 'png'; ".png" is added when missing.
void dumpWindow(const Value& window, const Value& device, const Value& fileName);

void setColor(const Value& window, const Value& color);
void setColored(const Value& window, const Value& numberOfColors);
void setDraw(const Value& window, const Value& mode);
void setShape(const Value& window, const Value& shape);
void setLut(const Value& window, const Value& lookUpTable);
void setPaint(const Value& window, const Value& mode);
void setLineWidth(const Value& window, const Value& width);

}  // namespace standin::window
