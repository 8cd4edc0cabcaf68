// The name every window picture of a run starts with, from the script as it was located.
#include "execution/window_dump.h"

#include <string>
#include <vector>

#include "common/run_settings.h"
#include "test_framework.h"

namespace Velotrax {
namespace {

struct Case {
  std::string startDirectory, scriptPath, scriptArgument, procedureName, baseName;
};

// The same on both platforms: a backslash is a separator on Windows and a character elsewhere,
// and either way becomes '_'.
const std::vector<Case> kCases = {
    {"/start", "/start/cases/draw.hdev", "cases/draw.hdev", "", "cases_draw.hdev-main"},
    {"/start", "/start/lib.hdpl", "lib.hdpl:square", "square", "lib.hdpl-square"},
    {"/start", "/start/a:b\\c.hdvp", "a:b\\c.hdvp", "c", "a_b_c.hdvp-c"},
    // Outside the start directory, or with none known: the file name alone.
    {"/start", "/elsewhere/p.hdvp", "/elsewhere/p.hdvp", "p", "p.hdvp-p"},
    {"/start", "/start-b/p.hdvp", "../start-b/p.hdvp", "p", "p.hdvp-p"},
    {"", "/start/cases/draw.hdev", "cases/draw.hdev", "", "draw.hdev-main"},
    // A script that was not found: the name as typed.
    {"/start", "", "gone/x.hdev", "", "x.hdev-main"},
};

TEST(WindowDump, TheBaseNameIsTheScriptRelativeToTheStartDirectory) {
  for (const Case& c : kCases) {
    RunSettings settings;
    settings.startDirectory = c.startDirectory;
    settings.scriptArgument = c.scriptArgument;
    LocatedScript script;
    script.scriptPath = c.scriptPath;
    script.procedureName = c.procedureName;
    script.programPath = c.procedureName.empty() ? c.scriptPath : "";
    EXPECT_EQ(windowDumpBaseName(settings, script), c.baseName);
  }
}

}  // namespace
}  // namespace Velotrax
