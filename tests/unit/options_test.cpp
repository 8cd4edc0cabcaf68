// The option step, driven in-process with fresh settings for every case.
#include <gtest/gtest.h>

#include <filesystem>

#include <string>
#include <vector>

#include "frontend/options.h"

namespace Velotrax {
namespace {

struct Parsed {
  OptionResult result;
  RunSettings settings;
  std::string out;
  std::string err;
};

Parsed parse(std::vector<std::string> args, bool child = false) {
  args.insert(args.begin(), "velotrax");
  std::vector<const char*> argv;
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  Parsed parsed{OptionResult::proceed, {}, {}, {}};
  parsed.settings.isChildProcess = child;
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  parsed.result = parseOptions(static_cast<int>(argv.size()), argv.data(), parsed.settings);
  parsed.out = testing::internal::GetCapturedStdout();
  parsed.err = testing::internal::GetCapturedStderr();
  return parsed;
}

using Strings = std::vector<std::string>;

TEST(OptionSyntax, LongNamesMayBeAbbreviatedUnambiguously) {
  Parsed p = parse({"--verb", "--no-dia", "x.hdev"});
  EXPECT_EQ(p.result, OptionResult::proceed);
  EXPECT_TRUE(p.settings.verbose);
  EXPECT_TRUE(p.settings.noDialogs);

  p = parse({"--ignore", "x.hdev"});
  EXPECT_EQ(p.result, OptionResult::failed);
  EXPECT_NE(p.err.find("option '--ignore' is ambiguous"), std::string::npos) << p.err;
}

TEST(OptionSyntax, RepeatedSwitchesAndBadValuesAreErrors) {
  Parsed p = parse({"-v", "-v", "x.hdev"});
  EXPECT_EQ(p.result, OptionResult::failed);
  EXPECT_NE(p.err.find("cannot be specified more than once"), std::string::npos) << p.err;

  EXPECT_EQ(parse({"--debug-port", "many", "x.hdev"}).result, OptionResult::failed);
  EXPECT_EQ(parse({"x.hdev", "--debug-port"}).result, OptionResult::failed);
  EXPECT_EQ(parse({"--halconroot", "a", "--halconroot", "b", "x.hdev"}).result,
            OptionResult::failed);
  EXPECT_EQ(parse({"--verbose=yes", "x.hdev"}).result, OptionResult::failed);
}

TEST(OptionSyntax, ShortSwitchesShareOneDash) {
  Parsed p = parse({"-vwc", "x.hdev"});
  EXPECT_EQ(p.result, OptionResult::proceed);
  EXPECT_TRUE(p.settings.verbose && p.settings.watch && p.settings.checkonly);
}

// Procedure path entries name the same directories after the working directory has moved to
// the script's: relative ones are made absolute against the start directory at once.
TEST(OptionValues, ListsAccumulateInOrderAndValuesAreCopied) {
  const std::string absolute = (std::filesystem::current_path() / "abs").string();
  Parsed p = parse({"--procedures-path", "a", "x.hdev", "--procedures-path=" + absolute,
                    "--procedures-path", "", "--debug-port", "1234", "--debug-password", "pw",
                    "--halconroot", "r", "-n", "13.0"});
  ASSERT_EQ(p.result, OptionResult::proceed);
  EXPECT_EQ(p.settings.proceduresPath,
            (Strings{(std::filesystem::current_path() / "a").string(), absolute, ""}));
  EXPECT_EQ(p.settings.debugPort, 1234);
  EXPECT_EQ(p.settings.debugPassword, "pw");
  EXPECT_EQ(p.settings.halconroot, "r");
  EXPECT_EQ(p.settings.halconversion, "13.0");
  EXPECT_EQ(p.settings.scriptArgument, "x.hdev");
  EXPECT_TRUE(p.settings.scriptArguments.empty());
}

TEST(OptionValues, TheDumpDirectoryIsMadeAbsoluteAndMustNotBeEmpty) {
  Parsed p = parse({"--dump-windows", "out", "x.hdev"});
  ASSERT_EQ(p.result, OptionResult::proceed);
  EXPECT_EQ(p.settings.dumpWindows, (std::filesystem::current_path() / "out").string());

  p = parse({"--dump-windows", "", "x.hdev"});
  EXPECT_EQ(p.result, OptionResult::failed);
  EXPECT_EQ(p.err, "the option '--dump-windows' needs a directory\n");
}

TEST(OptionValues, DefaultsWhenNotGiven) {
  Parsed p = parse({"x.hdev"});
  EXPECT_EQ(p.settings.debugPort, 57786);
  EXPECT_EQ(p.settings.debugPassword, "");
  EXPECT_FALSE(p.settings.watch || p.settings.separate || p.settings.queryMode);
}

TEST(ScriptTokens, UnknownOptionBeforeTheScriptFails) {
  Parsed p = parse({"--frobnicate", "x.hdev"});
  EXPECT_EQ(p.result, OptionResult::failed);
  EXPECT_NE(p.err.find("unrecognised option '--frobnicate'"), std::string::npos) << p.err;
}

TEST(ScriptTokens, OptionLikeTokensAfterTheScriptAreArguments) {
  Parsed p = parse({"x.hdvp", "-5", "--frobnicate", "'abc'"});
  ASSERT_EQ(p.result, OptionResult::proceed);
  EXPECT_EQ(p.settings.scriptArgument, "x.hdvp");
  EXPECT_EQ(p.settings.scriptArguments, (Strings{"-5", "--frobnicate", "'abc'"}));

  p = parse({"x.hdvp", "-v"});
  EXPECT_TRUE(p.settings.verbose);
  EXPECT_TRUE(p.settings.scriptArguments.empty());

  p = parse({"--", "x.hdvp", "-v"});
  EXPECT_FALSE(p.settings.verbose);
  EXPECT_EQ(p.settings.scriptArguments, (Strings{"-v"}));
}

TEST(ScriptTokens, ArgumentTextAttachedToTheScriptIsSplitOff) {
  Parsed p = parse({"proc.hdvp(1, 2)"});
  EXPECT_EQ(p.settings.scriptArgument, "proc.hdvp");
  EXPECT_EQ(p.settings.scriptArguments, (Strings{"(1, 2)"}));

  p = parse({"proc.hdvp(1,", "2)"});
  EXPECT_EQ(p.settings.scriptArgument, "proc.hdvp");
  EXPECT_EQ(p.settings.scriptArguments, (Strings{"(1,", "2)"}));

  p = parse({"(", "1"});
  EXPECT_EQ(p.settings.scriptArgument, "(");
  EXPECT_EQ(p.settings.scriptArguments, (Strings{"1"}));
}

TEST(ScriptTokens, OddTokensAreTakenAsTyped) {
  const std::string longToken(100000, 'a');
  const std::string notUtf8 = "\xff\xfe.hdev";
  Parsed p = parse({"", longToken, notUtf8});
  ASSERT_EQ(p.result, OptionResult::proceed);
  EXPECT_EQ(p.settings.scriptArgument, "");
  EXPECT_EQ(p.settings.scriptArguments, (Strings{longToken, notUtf8}));
}

TEST(ScriptTokens, NoScriptWithoutDialogShowsUsage) {
  Parsed p = parse({"--no-dialogs"});
  EXPECT_EQ(p.result, OptionResult::failed);
  EXPECT_EQ(p.out, usageText() + "\n");
}

TEST(Modes, GetVersionForcesQueryModeAndIgnoresTheScript) {
  Parsed p = parse({"--get-version", "x.hdev", "1"});
  ASSERT_EQ(p.result, OptionResult::proceed);
  EXPECT_TRUE(p.settings.queryMode && p.settings.noDialogs && p.settings.noDefaultWindow);
  EXPECT_EQ(p.settings.scriptArgument, "");
  EXPECT_TRUE(p.settings.scriptArguments.empty());
  EXPECT_EQ(p.out, "");
}

TEST(Modes, WatchDirsImplyWatchExceptInTheChild) {
  Parsed p = parse({"--watch-dirs", "d", "-s", "x.hdev"});
  EXPECT_TRUE(p.settings.watch && p.settings.separate);
  EXPECT_EQ(p.settings.watchDirs, (Strings{"d"}));

  p = parse({"--watch-dirs", "d", "-s", "-w", "--get-version", "x.hdev"}, /*child=*/true);
  ASSERT_EQ(p.result, OptionResult::proceed);
  EXPECT_FALSE(p.settings.watch || p.settings.separate || p.settings.queryMode);
  EXPECT_TRUE(p.settings.watchDirs.empty());
  EXPECT_EQ(p.settings.scriptArgument, "x.hdev");
}

TEST(Modes, HelpWinsOverVersionAndBothFinish) {
  Parsed p = parse({"--version", "--help"});
  EXPECT_EQ(p.result, OptionResult::finished);
  EXPECT_EQ(p.out, usageText() + "\n");

  p = parse({"-V", "x.hdev"});
  EXPECT_EQ(p.result, OptionResult::finished);
  EXPECT_EQ(p.out, "Velotrax 1.0.4\n");
}

TEST(Usage, StartsWithTheSyntaxLineAndListsOnlyVisibleOptions) {
  const std::string usage = usageText();
  EXPECT_EQ(
      usage.rfind("usage: velotrax  [options] <[path_to]procedure|[path_to]library:procedure> "
                  "[(input control params, ...)]\n\nOptions:\n  -h [ --help ]",
                  0),
      0u);
  EXPECT_EQ(usage.find("pargs"), std::string::npos);
  EXPECT_NE(usage.find("  --debug-port arg (=HDevEngine Debugging port (default is 57786))\n"),
            std::string::npos);
  EXPECT_EQ(usage.substr(usage.size() - 2), "\n\n");
}

TEST(PathWarnings, MissingPathsAreNamedOnlyWithVerbose) {
  const std::string dir = testing::TempDir() + "/lib.HDPL";
  std::filesystem::create_directories(dir);
  Parsed p = parse({"-v", "--procedures-path", "no/such.hdpl", "--procedures-path", dir,
                    "--procedures-path", "no/such/dir", "--watch-dirs", "no/watch", "x.hdev"});
  EXPECT_EQ(p.result, OptionResult::proceed);
  EXPECT_EQ(p.err,
            "warning: library path no/such.hdpl does not exist\n"
            "warning: procedure path no/such/dir does not exist\n"
            "warning: watch directory no/watch does not exist\n");

  p = parse({"--procedures-path", "no/such.hdpl", "x.hdev"});
  EXPECT_EQ(p.err, "");
}

}  // namespace
}  // namespace Velotrax
