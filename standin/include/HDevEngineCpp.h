// Stand-in HDevEngine: loads, checks and runs HDevelop programs and
// procedures. Interface modelled on HDevEngine 13.0.
#pragma once

#include <memory>
#include <string>

#include "HalconCpp.h"

namespace HDevEngineCpp {

using HalconCpp::HObject;
using HalconCpp::HTuple;

// Raised when a script cannot be loaded or fails while it runs.
class HDevEngineException {
 public:
  HDevEngineException(const char* message, int halconErrorCode, const char* execProcedureName,
                      const char* progLineName, int progLineNum);
  // Procedure being executed; a program's main is "main (<file name>)".
  const char* ExecProcedureName() const { return procName_.c_str(); }
  // Vision-library error code of the failure.
  int HalconErrorCode() const { return code_; }
  const char* Message() const { return message_.c_str(); }
  // Operator name of the failing line, empty when there is none.
  const char* ProgLineName() const { return lineName_.c_str(); }
  // Failing line in the procedure body, counted from 1; -1 when unknown.
  int ProgLineNum() const { return lineNum_; }

 private:
  std::string message_;
  int code_;
  std::string procName_;
  std::string lineName_;
  int lineNum_;
};

// Receives the window operators (dev_*) a running script executes. Every
// operation returns 2 for success or a vision-library error code.
class HDevOperatorImplCpp {
 public:
  virtual ~HDevOperatorImplCpp();
  virtual int OnClearWindow();
  virtual int OnCloseWindow();
  virtual int OnSetActiveWindow(const HTuple& windowHandle);
  virtual int OnGetActiveWindow(HTuple* windowHandle);
  virtual int OnDisplayObject(const HObject& object);
  virtual int OnDisplayText(const HTuple& string, const HTuple& coordSystem, const HTuple& row,
                            const HTuple& column, const HTuple& color, const HTuple& genParamName,
                            const HTuple& genParamValue);
  virtual int OnSetWindowExtents(const HTuple& row, const HTuple& column, const HTuple& width,
                                 const HTuple& height);
  virtual int OnSetDraw(const HTuple& draw);
  virtual int OnSetShape(const HTuple& shape);
  virtual int OnSetColored(const HTuple& colored);
  virtual int OnSetColor(const HTuple& color);
  virtual int OnSetLut(const HTuple& lut);
  virtual int OnSetPaint(const HTuple& paint);
  virtual int OnSetPart(const HTuple& row1, const HTuple& column1, const HTuple& row2,
                        const HTuple& column2);
  virtual int OnSetLineWidth(const HTuple& width);
  virtual int OnOpenWindow(const HTuple& row, const HTuple& column, const HTuple& width,
                           const HTuple& height, const HTuple& background, HTuple* windowHandle);
};

// Access to the engine of the process; every instance addresses the same one.
class HDevEngine {
 public:
  HDevEngine();
  // Routes window operators to impl from now on; the engine never deletes it.
  void SetHDevOperatorImpl(HDevOperatorImplCpp* impl, bool memManagement = true);
  // "ignore_invalid_lines", "ignore_unresolved_lines", "execute_procedures_jit_compiled",
  // "debug_port", "debug_password", "debug_wait_for_connection".
  void SetEngineAttribute(const char* name, const HTuple& value);
  HTuple GetEngineAttribute(const char* name);
  // Appends ';'-separated directories to the procedure search path.
  void AddProcedurePath(const char* path);
  // Forgets every loaded external procedure so edited files are read again.
  void UnloadAllProcedures();
  // Listens for a debugger on the loopback interface at "debug_port".
  void StartDebugServer();
  void StopDebugServer();
};

struct ProgramImpl;
struct ProcedureImpl;
struct CallImpl;

// A program (.hdev) loaded from a file.
class HDevProgram {
 public:
  explicit HDevProgram(const char* fileName);
  ~HDevProgram();
  HDevProgram(const HDevProgram&);
  HDevProgram& operator=(const HDevProgram&);

 private:
  friend class HDevProgramCall;
  std::shared_ptr<ProgramImpl> impl_;
};

// One execution of a program's main procedure.
class HDevProgramCall {
 public:
  explicit HDevProgramCall(const HDevProgram& program);
  ~HDevProgramCall();
  void Execute();

 private:
  std::unique_ptr<CallImpl> impl_;
};

// An external procedure found by name on the procedure path.
class HDevProcedure {
 public:
  explicit HDevProcedure(const char* procedureName);
  ~HDevProcedure();
  HDevProcedure(const HDevProcedure&);
  HDevProcedure& operator=(const HDevProcedure&);

  // Signature queries; indices count from 1, names stay owned by the procedure.
  int GetInputIconicParamCount() const;
  int GetOutputIconicParamCount() const;
  int GetInputCtrlParamCount() const;
  int GetOutputCtrlParamCount() const;
  const char* GetInputIconicParamName(int index) const;
  const char* GetOutputIconicParamName(int index) const;
  const char* GetInputCtrlParamName(int index) const;
  const char* GetOutputCtrlParamName(int index) const;
  int GetInputIconicParamDimension(int index) const;
  int GetOutputIconicParamDimension(int index) const;
  int GetInputCtrlParamDimension(int index) const;
  int GetOutputCtrlParamDimension(int index) const;

 private:
  friend class HDevProcedureCall;
  std::shared_ptr<ProcedureImpl> impl_;
};

// One call of a procedure: inputs set before Execute, outputs read after.
class HDevProcedureCall {
 public:
  explicit HDevProcedureCall(const HDevProcedure& procedure);
  ~HDevProcedureCall();
  void SetInputCtrlParamTuple(int index, const HTuple& value);
  void SetInputIconicParamObject(int index, const HObject& object);
  void Execute();
  HTuple GetOutputCtrlParamTuple(int index) const;
  HObject GetOutputIconicParamObject(int index) const;

 private:
  std::unique_ptr<CallImpl> impl_;
};

}  // namespace HDevEngineCpp
