// The import scanner on real files: transitive imports, missing ones, which file of a directory
// is read, decoding, which procedure file is found first, and hostile files.
#include "execution/import_scanner.h"

#include <boost/filesystem.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "captured_output.h"
#include "common/run_settings.h"
#include "temp_directory.h"
#include "test_framework.h"

namespace fs = boost::filesystem;

namespace Velotrax {
namespace {

using Lines = std::vector<std::string>;

class ImportScanner : public testing::Test {
 protected:
  void SetUp() override {
    search.halconroot = scratch.directory("halcon");
    scratch.directory("halcon/procedures");
  }
  // The script's directory is the first procedure directory, as script location leaves it.
  std::string script(const std::string& relative, const std::string& content) {
    const std::string path = scratch.write(relative, content);
    search.procedureDirectories = {fs::path(path).parent_path().string()};
    return path;
  }
  std::string canonical(const std::string& relative) const {
    return fs::canonical(scratch.path() / relative).string();
  }

  ScriptSearch search;
  ScratchDirectory scratch;
};

TEST_F(ImportScanner, ImportsAreFollowedTransitivelyAndListedOnceCanonically) {
  scratch.directory("shared");
  scratch.write("lib/x.hdvp", scriptXml({procedureXml("x", {"import '../shared'"})}));
  const std::string program =
      script("app/a.hdev",
             scriptXml({procedureXml("main", {"import '../lib'", "import '../lib/'", "import '.'",
                                              "import '" + (scratch / "halcon/procedures") + "'"}),
                        procedureXml("helper", {"import '../shared'"})}));
  EXPECT_TRUE(scanScriptImports(search, program) == Lines({canonical("lib"), canonical("shared")}));
}

TEST_F(ImportScanner, AMissingImportIsIgnoredWithAVerboseRemark) {
  const std::string program =
      script("app/a.hdev", scriptXml({procedureXml("main", {"import './nowhere'", "x := 1"})}));
  {
    const CapturedOutput output;
    EXPECT_TRUE(scanScriptImports(search, program).empty());
    EXPECT_EQ(output.err(), "");
  }
  search.verbose = true;
  const CapturedOutput output;
  EXPECT_TRUE(scanScriptImports(search, program).empty());
  const std::string missing = fs::absolute("./nowhere", scratch.path() / "app").string();
  EXPECT_EQ(output.err(), "remark: import directory \"" + missing + "\" not found. Ignored.\n");
}

TEST_F(ImportScanner, EveryProcedureFileOfARootIsReadButNotItsSubdirectories) {
  for (const char* name : {"p1", "p2", "p3", "sub/deeper"}) {
    const std::string stem = fs::path(name).filename().string();
    scratch.directory("from_" + stem);
    scratch.write(
        std::string("procs/") + name + ".hdvp",
        scriptXml({procedureXml(stem, {"import '" + (scratch / ("from_" + stem)) + "'"})}));
  }
  scratch.directory("from_library");
  scratch.write("procs/tools.hdpl", scriptXml({procedureXml("t", {"x := 1"}),
                                               procedureXml("u", {"import '../from_library'"})}));
  const std::string program =
      script("app/a.hdev", scriptXml({procedureXml("main", {"import '../procs'"})}));
  EXPECT_TRUE(scanScriptImports(search, program) ==
              Lines({canonical("procs"), canonical("from_p1"), canonical("from_p2"),
                     canonical("from_p3"), canonical("from_library")}));
}

TEST_F(ImportScanner, BodyLinesAreDecodedAndCommentLinesCount) {
  const std::string program =
      script("app/a.hdev", scriptXml({procedureXml("main", {"* first", "if (A < B and C > 0)",
                                                            "* third", "S := 'it''s & \"so\"'"})}));
  EXPECT_TRUE(findProcedureLines(search, program, "main") ==
              Lines({"* first", "if (A < B and C > 0)", "* third", "S := 'it''s & \"so\"'"}));
  // The layout outside the body is not part of the lines.
  EXPECT_TRUE(readBodyLines(program, "main", false) ==
              Lines({"* first", "if (A &lt; B and C &gt; 0)", "* third",
                     "S := &apos;it&apos;&apos;s &amp; &quot;so&quot;&apos;"}));
}

TEST_F(ImportScanner, AProcedureFileOfTheNameIsFoundBeforeALibrary) {
  scratch.write("procs/b_tools.hdpl", scriptXml({procedureXml("other", {"o := 2"}),
                                                 procedureXml("p", {"from := 'library'"})}));
  scratch.write("procs/a_tools.hdpl", scriptXml({procedureXml("other", {"o := 1"})}));
  scratch.write("procs/p.hdvp", scriptXml({procedureXml("p", {"from := 'file'"})}));
  const std::string program = script("app/a.hdev", scriptXml({procedureXml("main", {"p ()"})}));
  search.procedureDirectories.push_back(scratch / "procs");
  EXPECT_TRUE(findProcedureLines(search, program, "p") == Lines({"from := 'file'"}));
  // The libraries of a directory in the order of their names, each until one has it.
  EXPECT_TRUE(findProcedureLines(search, program, "other") == Lines({"o := 1"}));
  scratch.write("procs/a_tools.hdpl", scriptXml({procedureXml("unrelated", {"x := 1"})}));
  EXPECT_TRUE(findProcedureLines(search, program, "other") == Lines({"o := 2"}));
}

// The lines shown are those of the procedure the engine runs: the script file itself first,
// then the script's directory, the procedure path in the order given, imported directories
// and the installation's procedures, whatever their names.
TEST_F(ImportScanner, TheEngineResolutionOrderDecidesWhichProcedureIsShown) {
  search.halconroot = scratch.directory("a_halcon");
  scratch.write("a_halcon/procedures/s.hdvp", scriptXml({procedureXml("s", {"installation"})}));
  scratch.write("a_halcon/procedures/i.hdvp", scriptXml({procedureXml("i", {"installation"})}));
  scratch.write("b_path/p.hdvp", scriptXml({procedureXml("p", {"path b"})}));
  scratch.write("b_path/q.hdvp", scriptXml({procedureXml("q", {"path b"})}));
  scratch.write("c_imported/i.hdvp", scriptXml({procedureXml("i", {"imported"})}));
  scratch.write("zz_path/q.hdvp", scriptXml({procedureXml("q", {"path zz"})}));
  scratch.write("zz_path/s.hdvp", scriptXml({procedureXml("s", {"path zz"})}));
  scratch.write("y/local.hdvp", scriptXml({procedureXml("local", {"beside"})}));
  scratch.write("y/p.hdvp", scriptXml({procedureXml("p", {"beside"})}));
  const std::string program =
      script("y/prog.hdev", scriptXml({procedureXml("main", {"import '../c_imported'"}),
                                       procedureXml("local", {"in the program"})}));
  search.procedureDirectories.push_back(scratch / "zz_path");
  search.procedureDirectories.push_back(scratch / "b_path");
  EXPECT_TRUE(findProcedureLines(search, program, "local") == Lines({"in the program"}));
  EXPECT_TRUE(findProcedureLines(search, program, "p") == Lines({"beside"}));
  EXPECT_TRUE(findProcedureLines(search, program, "q") == Lines({"path zz"}));
  EXPECT_TRUE(findProcedureLines(search, program, "s") == Lines({"path zz"}));
  EXPECT_TRUE(findProcedureLines(search, program, "i") == Lines({"imported"}));
  // lib.hdpl:name: the library named is searched before any other root or library.
  scratch.write("y/a_other.hdpl", scriptXml({procedureXml("q", {"other library"})}));
  const std::string library =
      scratch.write("y/named.hdpl", scriptXml({procedureXml("q", {"named library"})}));
  EXPECT_TRUE(findProcedureLines(search, library, "q") == Lines({"named library"}));
}

TEST_F(ImportScanner, ProceduresInImportedDirectoriesAreFound) {
  scratch.write("deep/inner.hdvp", scriptXml({procedureXml("inner", {"i := 3"})}));
  scratch.write("lib/outer.hdvp",
                scriptXml({procedureXml("outer", {"import '../deep'", "inner ()"})}));
  const std::string program =
      script("app/a.hdev", scriptXml({procedureXml("main", {"import '../lib'"})}));
  EXPECT_TRUE(findProcedureLines(search, program, "inner") == Lines({"i := 3"}));
}

TEST_F(ImportScanner, RootsThatDoNotExistAreNeverTheSame) {
  const std::string program = script("app/a.hdev", scriptXml({procedureXml("main", {"x := 1"})}));
  search.procedureDirectories.push_back(scratch / "missing1");
  search.procedureDirectories.push_back(scratch / "missing2");
  search.halconroot = scratch / "no-halcon";
  EXPECT_TRUE(scanScriptImports(search, program).empty());
  EXPECT_TRUE(findProcedureLines(search, program, "main") == Lines({"x := 1"}));
}

TEST_F(ImportScanner, NamesWithPatternCharactersAreTakenLiterally) {
  scratch.write(
      "procs/lib.hdpl",
      scriptXml({procedureXml("aab", {"wrong := 1"}), procedureXml("a+b", {"right := 1"}),
                 procedureXml("axb", {"wrong := 2"}), procedureXml("a.b", {"right := 2"})}));
  const std::string program = script("app/a.hdev", scriptXml({procedureXml("main", {"x := 1"})}));
  search.procedureDirectories.push_back(scratch / "procs");
  EXPECT_TRUE(findProcedureLines(search, program, "a+b") == Lines({"right := 1"}));
  EXPECT_TRUE(readBodyLines(scratch / "procs/lib.hdpl", "a.b", false) == Lines({"right := 2"}));
  EXPECT_TRUE(readBodyLines(scratch / "procs/lib.hdpl", "(", false).empty());
  EXPECT_TRUE(readBodyLines(scratch / "procs/lib.hdpl", "a[", false).empty());
}

TEST_F(ImportScanner, ReadingFollowsTheLineRules) {
  const std::string text =
      "<procedure name=\"one\">\r\n<body>\r\n<l>a := 1</l>\r\n</body>\r\n"
      "<procedure name=\"two\">\n<interface/>\n<l>outside := 1</l>\n<body>\n<c>* b</c>\n</body>\n"
      "<body>\n<l>after</l>";
  std::istringstream all(text);
  EXPECT_TRUE(readBodyLines(all, "") == Lines({"a := 1", "* b", "after"}));
  std::istringstream named(text);
  EXPECT_TRUE(readBodyLines(named, "two") == Lines({"* b"}));
  std::istringstream none("<l>x</l>\n<body>\n<l>y</l>\n");
  EXPECT_TRUE(readBodyLines(none, "").empty());
  EXPECT_TRUE(readBodyLines(scratch / "not-a-file.hdev", "", false).empty());
}

TEST_F(ImportScanner, HugeAndBinaryFilesGiveLinesOrNothing) {
  const size_t mebibyte = 1 << 20;
  const std::string huge(mebibyte, '>');
  const std::string program = script(
      "app/a.hdev", "<procedure name=\"main\">\n<body>\n<l" + huge + "\n<l>" + huge + "</l>\n" +
                        std::string("<l>\0\xff\xfe>\x80</l>\n", 13) + "</body>\n");
  const Lines lines = findProcedureLines(search, program, "main");
  ASSERT_EQ(lines.size(), 2u);
  // An import path no file system can examine is a missing import, not an error.
  const std::string unexaminable = script(
      "app/b.hdev", scriptXml({procedureXml("main", {"import '" + std::string(5000, 'x') + "'"})}));
  EXPECT_TRUE(scanScriptImports(search, unexaminable).empty());
  EXPECT_EQ(lines[0], huge);  // the start tag ends at its first ">"
  EXPECT_EQ(lines[1], std::string("\0\xff\xfe>\x80", 5));
}

TEST_F(ImportScanner, LinkedDirectoryCyclesEnd) {
  scratch.directory("procs/sub");
  boost::system::error_code unsupported;
  fs::create_directory_symlink(scratch / "procs", scratch.path() / "procs/sub/up", unsupported);
  fs::create_directory_symlink(scratch / "procs", scratch.path() / "procs/sub/again", unsupported);
  if (unsupported) GTEST_SKIP();
  // A link to itself has no status at all.
  fs::create_symlink(scratch.path() / "procs/sub/self", scratch.path() / "procs/sub/self");
  const std::string program =
      script("app/a.hdev", scriptXml({procedureXml("main", {"import '../procs'"})}));
  EXPECT_TRUE(scanScriptImports(search, program) == Lines({canonical("procs")}));
  EXPECT_TRUE(findProcedureLines(search, program, "nowhere").empty());
}

}  // namespace
}  // namespace Velotrax
