// Finding the script from its name as typed: candidates, searches, warnings, kinds, the
// procedure path text and the working directory. Runs on both platforms; the
// path rules are each platform's own.
#include "frontend/script_location.h"

#include <boost/filesystem.hpp>
#include <string>

#include "captured_output.h"
#include "common/run_settings.h"
#include "temp_directory.h"
#include "test_framework.h"

namespace fs = boost::filesystem;

namespace Velotrax {
namespace {

const bool kWindowsPaths = fs::path::preferred_separator == '\\';

class ScriptLocation : public testing::Test {
 protected:
  // Locates `typed` and keeps what was written to the console; returns the procedure path text.
  std::string locate(const std::string& typed) {
    options.scriptArgument = typed;
    const CapturedOutput output;
    located = locateScript(options);
    warnings = output.err();
    return procedurePathText(located);
  }
  void enter() { enterScriptDirectory(located, options.verbose); }

  RunSettings options;
  LocatedScript located;
  std::string warnings;
};

std::string current() {
  return fs::current_path().string();
}

TEST_F(ScriptLocation, AProcedureFileWinsOverAProgramOfTheSameName) {
  ScratchDirectory scratch;
  scratch.write("find_edges.hdvp", "");
  scratch.write("find_edges.hdev", "");
  EXPECT_EQ(locate("find_edges"), scratch.path().string());
  EXPECT_EQ(located.procedureName, "find_edges");
  EXPECT_EQ(located.programPath, "");
  EXPECT_EQ(located.scriptPath, scratch / "find_edges.hdvp");
  EXPECT_EQ(warnings, "");
}

TEST_F(ScriptLocation, ProgramsAreRecognisedWhateverTheCaseOfTheirExtension) {
  ScratchDirectory scratch;
  scratch.write("main.hdev", "");
  scratch.write("MAIN2.HDEV", "");
  scratch.write("old.Dev", "");
  locate("main");
  EXPECT_EQ(located.programPath, scratch / "main.hdev");
  EXPECT_EQ(located.procedureName, "");
  locate("MAIN2.HDEV");
  EXPECT_EQ(located.programPath, scratch / "MAIN2.HDEV");
  locate("old.Dev");
  EXPECT_EQ(located.programPath, scratch / "old.Dev");
  EXPECT_EQ(warnings, "");
}

TEST_F(ScriptLocation, OnlyTheThreeSuffixesAreTried) {
  ScratchDirectory scratch;
  scratch.write("legacy.dvp", "");
  locate("legacy");
  EXPECT_EQ(located.scriptPath, "");
  EXPECT_EQ(warnings, "warning: could not find file legacy in current directory\n");
  scratch.write("other.dev", "");
  locate("other");
  EXPECT_EQ(located.programPath, scratch / "other.dev");
}

TEST_F(ScriptLocation, AnAbsoluteNameWithoutExtensionFindsTheProgram) {
  ScratchDirectory scratch;
  const std::string program = scratch.write("scripts/main.hdev", "");
  const std::string typed = (scratch.path() / "scripts" / "main").string();
  EXPECT_EQ(locate(typed), scratch / "scripts");
  EXPECT_EQ(located.programPath, program);
  EXPECT_EQ(located.scriptPath, program);
}

TEST_F(ScriptLocation, AnAbsoluteNameNotFoundIsStillTheScriptAndItsDirectoryTheFirst) {
  ScratchDirectory scratch;
  const std::string typed = (scratch.path() / "gone" / "inspect.hdev").string();
  EXPECT_EQ(locate(typed), scratch / "gone");
  EXPECT_EQ(warnings, "warning: could not find file " + typed + "\n");
  EXPECT_EQ(located.programPath, typed);
  EXPECT_EQ(located.scriptPath, typed);
}

TEST_F(ScriptLocation, ALibraryProcedureIsNamedAfterTheLastColon) {
  ScratchDirectory scratch;
  const std::string library = scratch.write("sub/vision.hdpl", "");
  for (const char* typed : {"sub/vision.hdpl:find_edges", "sub/vision:find_edges"}) {
    EXPECT_EQ(locate(typed), scratch / "sub");
    EXPECT_EQ(located.procedureName, "find_edges");
    EXPECT_EQ(located.programPath, "");
    EXPECT_EQ(fs::path(located.scriptPath), fs::path(library));
    EXPECT_EQ(warnings, "");
  }
}

TEST_F(ScriptLocation, ALibraryWithoutDirectoryIsSplitToo) {
  ScratchDirectory scratch;
  scratch.write("tools.hdpl", "");
  EXPECT_EQ(locate("tools.hdpl:measure"), scratch.path().string());
  EXPECT_EQ(located.procedureName, "measure");
  EXPECT_EQ(located.scriptPath, scratch / "tools.hdpl");
  locate("tools:measure");
  EXPECT_EQ(located.scriptPath, scratch / "tools.hdpl");
}

TEST_F(ScriptLocation, SeparatorsAndDrivesFollowThePlatform) {
  ScratchDirectory scratch;
  scratch.write("sub/vision.hdpl", "");
  locate("sub\\vision.hdpl:find_edges");
  EXPECT_EQ(located.procedureName, "find_edges");
  if (kWindowsPaths) {
    EXPECT_EQ(located.scriptPath, scratch / "sub\\vision.hdpl");
    // A one-letter prefix is a drive: nothing to split.
    locate("C:main.hdev");
    EXPECT_EQ(located.procedureName, "");
    locate("C:vision.hdpl:find_edges");
    EXPECT_EQ(located.procedureName, "find_edges");
  } else {
    // A backslash is an ordinary character of the file name.
    EXPECT_EQ(located.scriptPath, "");
    scratch.write("sub\\vision.hdpl", "");
    locate("sub\\vision.hdpl:find_edges");
    EXPECT_EQ(located.scriptPath, scratch / "sub\\vision.hdpl");
    locate("C:main.hdev");
    EXPECT_EQ(located.procedureName, "main.hdev");
  }
}

TEST_F(ScriptLocation, SearchParentFindsAScriptTwoLevelsUpAndMakesItsDirectoryCurrent) {
  ScratchDirectory scratch;
  scratch.write("top/main.hdev", "");
  fs::current_path(scratch.directory("top/a/b"));
  options.searchParent = true;
  EXPECT_EQ(locate("main"), scratch / "top");
  EXPECT_EQ(fs::path(located.programPath), scratch.path() / "top" / "main.hdev");
  enter();
  EXPECT_EQ(current(), scratch / "top");

  fs::current_path(scratch / "top/a/b");
  options.searchParent = false;
  EXPECT_EQ(locate("main"), "");
  EXPECT_EQ(warnings, "warning: could not find file main in current directory\n");
  EXPECT_EQ(located.programPath, "");
  EXPECT_EQ(located.procedureName, "main");
}

TEST_F(ScriptLocation, SearchParentLooksAtNinetyNineDirectoriesInAll) {
  ScratchDirectory scratch;
  scratch.write("main.hdev", "");
  std::string chain;
  for (int depth = 1; depth <= 99; ++depth) chain += "d/";
  scratch.directory(chain);
  options.searchParent = true;

  fs::current_path(scratch / chain.substr(0, 2 * 98));  // 98 levels down: the 99th directory
  locate("main");
  EXPECT_EQ(located.programPath, scratch / "main.hdev");

  fs::current_path(scratch / chain);  // 99 levels down: it would be the 100th
  locate("main");
  EXPECT_EQ(located.scriptPath, "");
  EXPECT_EQ(warnings,
            "warning: could not find file main in current directory or any parent directory\n");
}

TEST_F(ScriptLocation, SearchParentEndsAtTheRoot) {
  ScratchDirectory scratch;
  options.searchParent = true;
  locate("no_such_script_anywhere_7f3a");
  EXPECT_EQ(located.scriptPath, "");
  EXPECT_EQ(located.procedureDirectories.size(), 0u);
}

TEST_F(ScriptLocation, ARelativeNameNotFoundLeavesTheWorkingDirectoryUnlessAPathIsGiven) {
  ScratchDirectory scratch;
  const std::string start = current();
  EXPECT_EQ(locate("missing.hdev"), "");
  EXPECT_EQ(located.programPath, "");
  EXPECT_EQ(located.procedureName, "");
  enter();
  EXPECT_EQ(current(), start);

  const std::string d = scratch.directory("D");
  options.proceduresPath = {d};
  EXPECT_EQ(locate("missing.hdev"), d);
  enter();
  EXPECT_EQ(current(), d);
}

TEST_F(ScriptLocation, ThePathTextIsTheScriptDirectoryThenTheProcedurePaths) {
  ScratchDirectory scratch;
  const std::string s = scratch.directory("s");
  scratch.write("s/proc.hdvp", "");
  options.proceduresPath = {"a", "b"};
  EXPECT_EQ(locate((fs::path(s) / "proc").string()), s + ";a;b");
}

TEST_F(ScriptLocation, ADirectoryThatCannotBeEnteredIsAnError) {
  ScratchDirectory scratch;
  options.proceduresPath = {scratch / "not-there"};
  locate("missing.hdev");
  EXPECT_THROW(enter(), fs::filesystem_error);
  scratch.write("plain-file", "");
  options.proceduresPath = {scratch / "plain-file"};
  locate("missing.hdev");
  EXPECT_THROW(enter(), fs::filesystem_error);
}

TEST_F(ScriptLocation, TheWorkingDirectoryLineIsVerbose) {
  ScratchDirectory scratch;
  scratch.write("p.hdvp", "");
  options.verbose = true;
  locate("p");
  const CapturedOutput output;
  enter();
  EXPECT_EQ(output.out(), "Setting working directory to " + scratch.path().string() + "\n");
}

}  // namespace
}  // namespace Velotrax
