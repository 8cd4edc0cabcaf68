// Helpers for engine tests: a fresh temporary directory on the procedure
// path, script files written from short line lists, and error checks.
#pragma once

#include <string>
#include <vector>

#include "HDevEngineCpp.h"
#include "HalconCpp.h"
#include "test_framework.h"

// Parameter names of a procedure interface, by list.
struct Iface {
  std::vector<std::string> io, oo, ic, oc;
};

// One <procedure> element. Lines starting with '*' (or empty) become <c>
// comment lines, all others <l> code lines; text is entity-escaped.
std::string procedureXml(const std::string& name, const Iface& iface,
                         const std::vector<std::string>& lines);
// A complete file around the given procedure elements.
std::string fileXml(const std::vector<std::string>& procedures);

// The fields of an engine exception, for one-line comparisons.
struct EngineError {
  int code = 0;
  std::string procedure, op, message;
  int line = 0;
};

class ScriptTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Writes dir/name and returns its path.
  std::string write(const std::string& name, const std::string& content);
  // Writes name.hdvp with one procedure and returns its path.
  std::string writeProcedure(const std::string& name, const Iface& iface,
                             const std::vector<std::string>& lines);
  // Runs procedure `name` with control inputs, returning its control outputs.
  std::vector<HalconCpp::HTuple> call(const std::string& name,
                                      const std::vector<HalconCpp::HTuple>& inputs = {});
  // Runs the one-procedure program made of lines and returns its error (code 0 = none).
  EngineError runProgramLines(const std::vector<std::string>& lines,
                              const std::string& file = "prog.hdev");
  // Runs a program file and returns the error it raised (code 0 = none).
  EngineError runProgram(const std::string& path);
  // Loads a program file and returns the error it raised (code 0 = none).
  EngineError loadProgram(const std::string& path);
  // Runs a procedure and returns the error it raised (code 0 = none).
  EngineError callError(const std::string& name, const std::vector<HalconCpp::HTuple>& inputs = {});

  std::string dir;
};

EngineError fromException(const HDevEngineCpp::HDevEngineException& e);
// Reads one element as text for comparisons.
std::string text(const HalconCpp::HTuple& t);
