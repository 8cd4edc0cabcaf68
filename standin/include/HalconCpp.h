// Stand-in vision library: tuples, iconic objects, exceptions and the
// operators a script host needs. Interface modelled on HALCON 13.0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

typedef int Herror;
typedef int64_t Hlong;

// Status code of a successful operator call.
#define H_MSG_TRUE 2

// Shuts the library down: H_MSG_TRUE once finished, 9700 while user threads still run.
extern "C" Herror FinalizeHALCONLibrary(void);

namespace HalconCpp {

class HTuple;

// Owned 8-bit text as the library hands it out.
class HString {
 public:
  HString() = default;
  HString(const char* text) : text_(text ? text : "") {}
  HString(std::string text) : text_(std::move(text)) {}
  // The text, NUL-terminated, valid as long as this object.
  const char* Text() const { return text_.c_str(); }
  // Number of bytes without the terminating NUL.
  size_t Length() const { return text_.size(); }
  operator const char*() const { return text_.c_str(); }

 private:
  std::string text_;
};

// Read access to one element of a tuple (see HTuple::operator[]).
class HTupleElement {
 public:
  HTupleElement(const HTuple* tuple, Hlong index) : tuple_(tuple), index_(index) {}
  // Element type: 1 integer, 2 real, 4 text.
  int Type() const;
  // The element as a 64-bit integer (reals are truncated).
  Hlong L() const;
  // The element as an int.
  int I() const { return static_cast<int>(L()); }
  // The element as a double.
  double D() const;
  // The element as text; numbers are formatted.
  HString S() const;

 private:
  const HTuple* tuple_;
  Hlong index_;
};

// A list of integer, real and text values.
class HTuple {
 public:
  HTuple();
  HTuple(int value);
  HTuple(long value);
  HTuple(long long value);
  HTuple(double value);
  HTuple(const char* text);
  HTuple(const HString& text);
  HTuple(const HTuple& other);
  HTuple(HTuple&& other) noexcept;
  HTuple& operator=(const HTuple& other);
  HTuple& operator=(HTuple&& other) noexcept;
  ~HTuple();

  // Appends every element of other; returns this tuple.
  HTuple& Append(const HTuple& other);
  // Number of elements.
  Hlong Length() const;
  // Deep copy that shares nothing with this tuple.
  HTuple Clone() const;
  // Text form: one element plain, several as [a, b, 'c'].
  HString ToString() const;
  // Type code of every element (1 integer, 2 real, 4 text).
  HTuple TupleTypeElem() const;
  // Element i, counted from 0; out of range throws HException.
  HTupleElement operator[](Hlong index) const;
  HTupleElement operator[](int index) const { return (*this)[static_cast<Hlong>(index)]; }

  // Whole-tuple comparison.
  bool operator==(const HTuple& other) const;
  bool operator!=(const HTuple& other) const { return !(*this == other); }
  // Element-by-element order, as the script language compares tuples.
  bool operator<(const HTuple& other) const;
  bool operator>(const HTuple& other) const { return other < *this; }
  bool operator<=(const HTuple& other) const { return !(other < *this); }
  bool operator>=(const HTuple& other) const { return !(*this < other); }
  // Element-wise arithmetic with broadcasting of one-element operands.
  HTuple operator+(const HTuple& other) const;
  HTuple operator-(const HTuple& other) const;
  HTuple operator*(const HTuple& other) const;
  HTuple operator/(const HTuple& other) const;

 private:
  friend struct HTupleAccess;
  struct Data;
  Data* data_;
};

// An iconic object list (images, regions).
class HObject {
 public:
  HObject();
  HObject(const HObject& other);
  HObject& operator=(const HObject& other);
  ~HObject();
  // Number of objects in the list.
  Hlong CountObj() const;
  // Object number index, counted from 1.
  HObject SelectObj(Hlong index) const;
  // Class of the first object, e.g. "image" or "region".
  HTuple GetObjClass() const;

 private:
  friend struct HObjectAccess;
  struct Data;
  Data* data_;
};

// An image built from an iconic object.
class HImage : public HObject {
 public:
  HImage() = default;
  explicit HImage(const HObject& object);
  Hlong Width() const;
  Hlong Height() const;
};

// Raised by every operator that fails.
class HException {
 public:
  // Uses the library's standard text for the code as the message.
  HException(const char* procName, Herror errorCode);
  HException(const char* procName, Herror errorCode, const char* message);
  // Name of the operator that failed.
  const HString& ProcName() const { return procName_; }
  // The library's error code.
  Herror ErrorCode() const { return code_; }
  // Human-readable message.
  const HString& ErrorMessage() const { return message_; }

 private:
  HString procName_;
  Herror code_;
  HString message_;
};

// System parameters: "version", "width", "height", "use_window_thread", "do_low_error".
void SetSystem(const HTuple& systemParameter, const HTuple& value);
void GetSystem(const HTuple& query, HTuple* information);
HTuple GetSystem(const HTuple& query);
// Standard text for an error code.
void GetErrorText(const HTuple& errorCode, HTuple* errorMessage);
// Details of the last failed operator of this thread (code 0 = none).
void GetExtendedErrorInfo(HTuple* operatorName, HTuple* errorCode, HTuple* errorMessage);
void WaitSeconds(const HTuple& seconds);

// Window operators; the window handle comes first.
void OpenWindow(const HTuple& row, const HTuple& column, const HTuple& width, const HTuple& height,
                const HTuple& fatherWindow, const HTuple& mode, const HTuple& machine,
                HTuple* windowHandle);
void CloseWindow(const HTuple& windowHandle);
void ClearWindow(const HTuple& windowHandle);
void SetWindowParam(const HTuple& windowHandle, const HTuple& paramName, const HTuple& paramValue);
void GetPart(const HTuple& windowHandle, HTuple* row1, HTuple* column1, HTuple* row2,
             HTuple* column2);
void SetPart(const HTuple& windowHandle, const HTuple& row1, const HTuple& column1,
             const HTuple& row2, const HTuple& column2);
void GetWindowExtents(const HTuple& windowHandle, HTuple* row, HTuple* column, HTuple* width,
                      HTuple* height);
void SetWindowExtents(const HTuple& windowHandle, const HTuple& row, const HTuple& column,
                      const HTuple& width, const HTuple& height);
void GetOsWindowHandle(const HTuple& windowHandle, HTuple* osWindowHandle, HTuple* osDisplayHandle);
void DispText(const HTuple& windowHandle, const HTuple& string, const HTuple& coordSystem,
              const HTuple& row, const HTuple& column, const HTuple& color,
              const HTuple& genParamName, const HTuple& genParamValue);
void SetColor(const HTuple& windowHandle, const HTuple& color);
void SetColored(const HTuple& windowHandle, const HTuple& numberOfColors);
void SetDraw(const HTuple& windowHandle, const HTuple& mode);
void SetShape(const HTuple& windowHandle, const HTuple& shape);
void SetLut(const HTuple& windowHandle, const HTuple& lookUpTable);
void SetPaint(const HTuple& windowHandle, const HTuple& mode);
void SetLineWidth(const HTuple& windowHandle, const HTuple& width);
void DispObj(const HObject& object, const HTuple& windowHandle);
// Writes the window's picture to fileName: device "png"; ".png" is added when missing.
void DumpWindow(const HTuple& windowHandle, const HTuple& device, const HTuple& fileName);

}  // namespace HalconCpp
