// Procedure resolution: local, path, libraries, imports, the installation's
// procedures, and reloading after UnloadAllProcedures.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "script_fixture.h"

using namespace HDevEngineCpp;
using HalconCpp::HTuple;

class Resolution : public ScriptTest {
 protected:
  std::string valueProc(const std::string& name, const std::string& value) {
    return procedureXml(name, {{}, {}, {}, {"V"}}, {"V := " + value});
  }
};

TEST_F(Resolution, LocalProcedureBeatsPath) {
  write("res_where.hdvp", fileXml({valueProc("res_where", "'path'")}));
  std::string prog =
      write("local.hdev", fileXml({procedureXml("main", {{}, {}, {}, {}},
                                                {"res_where (V)", "if (V != 'local')",
                                                 "    throw (['wrong', V])", "endif"}),
                                   valueProc("res_where", "'local'")}));
  EXPECT_EQ(runProgram(prog).code, 0);
  EXPECT_EQ(text(call("res_where").at(0)), "'path'");
}

TEST_F(Resolution, PathOrderAndLibraries) {
  std::string a = dir + "/a", b = dir + "/b";
  write("a/res_first.hdvp", fileXml({valueProc("res_first", "'a'")}));
  write("b/res_first.hdvp", fileXml({valueProc("res_first", "'b'")}));
  write("b/tools.hdpl",
        fileXml({valueProc("res_lib_one", "1"), procedureXml("res_lib_two", {{}, {}, {}, {"V"}},
                                                             {"res_lib_one (W)", "V := W + 1"})}));
  HDevEngine().AddProcedurePath((a + ";" + b).c_str());
  EXPECT_EQ(text(call("res_first").at(0)), "'a'");
  EXPECT_EQ(text(call("res_lib_two").at(0)), "2");
  HDevProcedure lib("res_lib_one");
  EXPECT_EQ(lib.GetOutputCtrlParamCount(), 1);
  EXPECT_STREQ(lib.GetOutputCtrlParamName(1), "V");
}

TEST_F(Resolution, LibraryFileOnThePath) {
  std::string lib = write("libs/vision.hdpl", fileXml({valueProc("res_in_named_lib", "'named'")}));
  HDevEngine().AddProcedurePath(lib.c_str());
  EXPECT_EQ(text(call("res_in_named_lib").at(0)), "'named'");
}

TEST_F(Resolution, OldFormatProcedureIsRefusedClearly) {
  write("res_old.dvp", "procedure res_old ()\n");
  EngineError e = callError("res_old");
  EXPECT_EQ(e.code, 21018);
  EXPECT_NE(e.message.find("res_old.dvp"), std::string::npos);
}

TEST_F(Resolution, ImportedDirectoryIsSearched) {
  write("imported/res_imported.hdvp", fileXml({valueProc("res_imported", "'imp'")}));
  std::string prog = write(
      "sub/imp.hdev", fileXml({procedureXml("main", {},
                                            {"import '../imported'", "res_imported (V)",
                                             "if (V != 'imp')", "    throw ('wrong')", "endif"})}));
  EXPECT_EQ(runProgram(prog).code, 0);
  // Loaded once through the import, it stays invisible to programs without it.
  std::string without =
      write("sub/noimp.hdev", fileXml({procedureXml("main", {}, {"res_imported (V)"})}));
  EXPECT_EQ(loadProgram(without).message,
            "Error(s) in procedure 'main': there is an unresolved procedure call: 1");
}

TEST_F(Resolution, PathBeatsImportsAndImportsBeatInstallation) {
  write("res_order.hdvp", fileXml({valueProc("res_order", "'path'")}));
  write("imported/res_order.hdvp", fileXml({valueProc("res_order", "'import'")}));
  write("imported/tuple_mean_std.hdvp",
        fileXml({procedureXml("tuple_mean_std", {{}, {}, {"Values"}, {"Mean", "Deviation"}},
                              {"Mean := 'import'", "Deviation := 0"})}));
  std::string prog =
      write("sub/order.hdev",
            fileXml({procedureXml(
                "main", {},
                {"import '../imported'", "res_order (Where)", "tuple_mean_std ([1], Mean, Dev)",
                 "if (Where != 'path' or Mean != 'import')",
                 "    throw (['wrong order', Where, Mean])", "endif"})}));
  EngineError e = runProgram(prog);
  EXPECT_EQ(e.code, 0);
  EXPECT_EQ(e.message, "");
}

TEST_F(Resolution, MissingImportDirectoryIsALowLevelError) {
  static std::vector<std::string> reports;
  reports.clear();
  HTuple cb("callback");
  cb.Append(HTuple(static_cast<long long>(reinterpret_cast<intptr_t>(+[](const char* t) {
    reports.push_back(t);
    return 2;
  }))));
  HalconCpp::SetSystem(HTuple("do_low_error"), cb);
  std::string prog =
      write("imp2.hdev", fileXml({procedureXml("main", {}, {"import './nowhere'", "X := 1"})}));
  EXPECT_EQ(runProgram(prog).code, 0);
  HalconCpp::SetSystem(HTuple("do_low_error"), HTuple("false"));
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_NE(reports[0].find("nowhere"), std::string::npos);
}

TEST_F(Resolution, InstallationProceduresComeLast) {
  const char* root = std::getenv("HALCONROOT");
  if (!root) GTEST_SKIP();
  EXPECT_EQ(text(call("tuple_mean_std", {HTuple(2).Append(HTuple(4))}).at(0)), "3.0");
}

TEST_F(Resolution, UnloadAllProceduresReadsEditedFile) {
  write("res_edit.hdvp", fileXml({valueProc("res_edit", "1")}));
  EXPECT_EQ(text(call("res_edit").at(0)), "1");
  HDevProcedure kept("res_edit");
  write("res_edit.hdvp", fileXml({valueProc("res_edit", "2")}));
  EXPECT_EQ(text(call("res_edit").at(0)), "1");  // still cached
  HDevEngine().UnloadAllProcedures();
  EXPECT_EQ(text(call("res_edit").at(0)), "2");
  HDevProcedureCall old(kept);  // a procedure loaded before still runs its own code
  old.Execute();
  EXPECT_EQ(text(old.GetOutputCtrlParamTuple(1)), "1");
}

TEST_F(Resolution, UnknownProcedureIsAnEngineError) {
  try {
    HDevProcedure p("res_definitely_missing");
    ADD_FAILURE();
  } catch (const HDevEngineException& e) {
    EXPECT_EQ(e.HalconErrorCode(), 21020);
    EXPECT_EQ(e.ProgLineNum(), -1);
  }
}

TEST_F(Resolution, SignatureQueries) {
  write("res_sig.hdvp", fileXml({procedureXml("res_sig", {{"Img"}, {"Out"}, {"A", "B"}, {"C"}},
                                              {"C := A + B", "Out := Img"})}));
  HDevEngine().SetEngineAttribute("ignore_invalid_lines", HTuple(1));
  HDevProcedure p("res_sig");
  EXPECT_EQ(p.GetInputIconicParamCount(), 1);
  EXPECT_EQ(p.GetOutputIconicParamCount(), 1);
  EXPECT_EQ(p.GetInputCtrlParamCount(), 2);
  EXPECT_EQ(p.GetOutputCtrlParamCount(), 1);
  EXPECT_STREQ(p.GetInputCtrlParamName(2), "B");
  EXPECT_STREQ(p.GetInputIconicParamName(1), "Img");
  EXPECT_EQ(p.GetInputCtrlParamDimension(1), 0);
  EXPECT_THROW(p.GetInputCtrlParamName(3), HDevEngineException);
  EXPECT_THROW(p.GetOutputIconicParamName(0), HDevEngineException);
}
