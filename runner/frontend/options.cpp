#include "options.h"

#include <charconv>
#include <sstream>
#include <string_view>
#include <vector>

#include <boost/algorithm/string/predicate.hpp>
#include <boost/filesystem/operations.hpp>
#include <boost/program_options.hpp>

#include "common/file_system.h"
#include "common/messages.h"
#include "os/dialogs.h"
#include "os/environment.h"

namespace po = boost::program_options;
namespace fs = boost::filesystem;

namespace Velotrax {

const std::string_view kBanner = "Velotrax " VELOTRAX_VERSION;

namespace {

constexpr std::string_view kProgramName = "velotrax";
constexpr unsigned kLineLength = 80;
constexpr unsigned kMinDescriptionLength = 40;

po::options_description visibleOptions(RunSettings& s) {
  po::options_description options("Options", kLineLength, kMinDescriptionLength);
  options.add_options()("help,h", "Show this help")("verbose,v", po::bool_switch(&s.verbose),
                                                    "Be more verbose in output to console")(
      "fullscreen,f", po::bool_switch(&s.fullscreen),
      "Fullscreen Mode: Open all Graphics Windows in Fullscreen")(
      "watch,w", po::bool_switch(&s.watch), "Watch Mode: Watch for changes in procedure paths")(
      "separate,s", po::bool_switch(&s.separate), "Execute HALCON/HDevEngine in separate process")(
      "version,V", po::bool_switch(&s.version), "Show version information")(
      "search-parent", po::bool_switch(&s.searchParent),
      "Search parent directories if relative paths are used")(
      "no-dialogs", po::bool_switch(&s.noDialogs), "Never open any dialog")(
      "no-default-window", po::bool_switch(&s.noDefaultWindow),
      "Do not open any default Graphics Window")(
      "procedures-path", po::value<std::vector<std::string>>(),
      "Add directory to HDevelop external procedures search path")(
      "watch-dirs", po::value<std::vector<std::string>>(),
      "Adds directory to list of directories watched for changes (Procedure paths are added "
      "automatically). Implies --watch.)")("debug", po::bool_switch(&s.debug),
                                           "Enable HDevEngine Debugging")(
      "debug-password", po::value<std::string>()->default_value(
                            "", "HDevEngine Debugging password (default is no password)"))(
      "debug-port", po::value<int>()->default_value(
                        kDefaultDebugPort, "HDevEngine Debugging port (default is 57786)"))(
      "debug-wait-for-connection", po::bool_switch(&s.debugWaitForConnection),
      "HDevEngine Debugging: Wait for connection <true|false> (default is false)")(
      "halconroot",
      po::value<std::string>()->default_value(
          "",
          "Override HALCONROOT to be used. Default is to use the HALCONROOT environment "
          "variable."))(
      "halconversion,n",
      po::value<std::string>()->default_value(
          "",
          "Try to set HALCONROOT automatically for the specified major.minor version (e.g. "
          "\"13.0\" or \"18.11-Steady\"). Default is to use the HALCONROOT environment "
          "variable."))("checkonly,c", po::bool_switch(&s.checkonly), "Check only")(
      "ignore-unresolved-lines", po::bool_switch(&s.ignoreUnresolvedLines),
      "Ignore unresolved script lines (e.g. external procedures that could not be found)")(
      "ignore-invalid-lines", po::bool_switch(&s.ignoreInvalidLines),
      "Ignore invalid script lines")("execute-procedures-jit-compiled",
                                     po::bool_switch(&s.executeProceduresJitCompiled),
                                     "Try to Just-In-Time compile procedures")(
      "get-version", po::bool_switch(&s.getVersion),
      "Get automatically determined active HALCON version")(
      "dump-windows", po::value<std::string>(),
      "Write every Graphics Window still open when a run ends to this directory as PNG "
      "(created when missing)")("report", po::value<std::string>(),
                                "Write a JUnit XML report of the run(s) to this file")(
      "all", po::value<std::vector<std::string>>(),
      "Run every script under this directory, each in a child process (repeatable)")(
      "jobs", po::value<int>(), "With --all: scripts run at once (default: the number of cores)")(
      "timeout", po::value<double>(),
      "With --all: seconds a script may run before it is ended and counts as failed")(
      "shard", po::value<std::string>(),
      "With --all: run only the K-th of N equal slices of the sorted list, given as K/N");
  return options;
}

po::options_description hiddenOptions() {
  po::options_description hidden("Hidden");
  hidden.add_options()(
      "pargs", po::value<std::vector<std::string>>()->multitoken()->composing()->zero_tokens(),
      "positional arguments");
  return hidden;
}

// Positional tokens and unregistered options, in command-line order, exactly as typed.
std::vector<std::string> tokenList(int argc, const char* const argv[], RunSettings& s,
                                   po::variables_map& values) {
  po::options_description allowed("Allowed options");
  allowed.add(visibleOptions(s)).add(hiddenOptions());
  po::positional_options_description positional;
  positional.add("pargs", -1);

  po::parsed_options parsed = po::command_line_parser(argc, argv)
                                  .options(allowed)
                                  .positional(positional)
                                  .allow_unregistered()
                                  .run();
  po::store(parsed, values);
  po::notify(values);
  std::vector<std::string> tokens =
      po::collect_unrecognized(parsed.options, po::include_positional);
  if (!tokens.empty() && tokens.front().starts_with("-")) throw po::unknown_option(tokens.front());
  return tokens;
}

template <typename T>
T valueOf(const po::variables_map& values, const char* name) {
  return values.count(name) ? values[name].as<T>() : T{};
}

// The procedure path entries are checked as the engine will get them; the warnings name them
// as typed.
void warnAboutMissingPaths(const RunSettings& s, const std::vector<std::string>& typed) {
  for (size_t i = 0; i < s.proceduresPath.size(); ++i) {
    const std::string& entry = s.proceduresPath[i];
    const bool library = boost::iequals(fs::path(entry).extension().string(), ".hdpl");
    if (library && !isDirectory(entry)) {
      if (!isRegularFile(entry))
        printError("warning: library path " + typed[i] + " does not exist");
    } else if (!isDirectory(entry)) {
      printError("warning: procedure path " + typed[i] + " does not exist");
    }
  }
  for (const std::string& entry : s.watchDirs) {
    if (!isDirectory(entry)) printError("warning: watch directory " + entry + " does not exist");
  }
}

// A relative path made absolute against the directory the program was started in, so that it
// names the same directory after the working directory has moved to the script's. An empty
// entry names nothing and stays empty; one that cannot be made absolute stays as typed.
std::string fromStartDirectory(const std::string& entry) {
  if (entry.empty()) return entry;
  boost::system::error_code unknown;
  const fs::path start = fs::current_path(unknown);
  return unknown ? entry : fs::absolute(fs::path(entry), start).string();
}

// The script token may carry its argument text: proc.hdvp(1,2) is proc.hdvp with (1,2).
void takeScript(RunSettings& s, std::vector<std::string> tokens) {
  s.scriptArgument = tokens.front();
  s.scriptArguments.assign(tokens.begin() + 1, tokens.end());
  const auto paren = s.scriptArgument.find('(');
  if (s.scriptArgument.size() > 1 && paren != std::string::npos) {
    s.scriptArguments.insert(s.scriptArguments.begin(), s.scriptArgument.substr(paren));
    s.scriptArgument.erase(paren);
  }
}

// The batch options, checked and taken: false, after saying why, when one is out of range.
bool takeBatchOptions(RunSettings& s, const po::variables_map& values, bool scriptNamed) {
  s.all = valueOf<std::vector<std::string>>(values, "all");
  for (std::string& entry : s.all) entry = fromStartDirectory(entry);
  if (values.count("report")) {
    s.report = valueOf<std::string>(values, "report");
    if (s.report.empty()) return printError("--report needs a file name"), false;
    s.report = fromStartDirectory(s.report);
  }
  const bool batch = !s.all.empty();
  if (!batch && (values.count("jobs") || values.count("timeout") || values.count("shard")))
    return printError("--jobs, --timeout and --shard go with --all"), false;
  if (batch && scriptNamed)
    return printError("--all runs the scripts it finds: name no script besides it"), false;
  if (batch && s.watch) return printError("--all cannot be combined with watch mode"), false;
  if (values.count("jobs")) {
    s.jobs = values["jobs"].as<int>();
    if (s.jobs < 1 || s.jobs > 1024)
      return printError("--jobs must be a number from 1 to 1024"), false;
  }
  if (values.count("timeout")) {
    s.timeoutSeconds = values["timeout"].as<double>();
    if (!(s.timeoutSeconds > 0 && s.timeoutSeconds <= 1e6))
      return printError("--timeout must be a number of seconds above 0, at most 1000000"), false;
  }
  if (values.count("shard")) {
    const std::string shard = values["shard"].as<std::string>();
    const size_t slash = shard.find('/');
    const auto number = [](std::string_view text, int& value) {
      return !text.empty() && std::from_chars(text.data(), text.data() + text.size(), value).ptr ==
                                  text.data() + text.size();
    };
    if (slash == std::string::npos ||
        !number(std::string_view(shard).substr(0, slash), s.shardIndex) ||
        !number(std::string_view(shard).substr(slash + 1), s.shardCount) || s.shardIndex < 1 ||
        s.shardIndex > s.shardCount)
      return printError("--shard must be K/N, with 1 <= K <= N: " + shard), false;
  }
  return true;
}

}  // namespace

std::string usageText() {
  RunSettings unused;
  std::ostringstream text;
  text << "usage: " << kProgramName << "  [options] <[path_to]procedure|[path_to]library:procedure>"
       << " [(input control params, ...)]\n"
       << "\n"
       << visibleOptions(unused) << "\n";
  return text.str();
}

std::string openScriptDialog() {
  static const std::vector<os::FileFilter> filters = {
      {"All HDevelop scripts (*.hdev;*.hdvp;*.dev;*.dvp;*.hdpl)",
       "*.hdev;*.hdvp;*.dev;*.dvp;*.hdpl"},
      {"HDevelop program (*.hdev;*.dev)", "*.hdev;*.dev"},
      {"HDevelop external procedure (*.hdvp;*.dvp)", "*.hdvp;*.dvp"},
      {"HDevelop library procedure (specify procedure with :procname) (*.hdpl)", "*.hdpl"},
  };
  return os::askOpenFileName("Open HALCON program or procedure - " + std::string(kProductName),
                             filters);
}

OptionResult parseOptions(int argc, const char* const argv[], RunSettings& s) {
  s.scriptArguments.clear();
  po::variables_map values;
  std::vector<std::string> tokens;
  try {
    tokens = tokenList(argc, argv, s, values);
  } catch (const po::error& e) {
    printError(e.what());
    return OptionResult::failed;
  }
  s.help = values.count("help") > 0;
  boost::system::error_code unknown;
  s.startDirectory = fs::current_path(unknown).string();
  if (s.getVersion) s.queryMode = s.noDialogs = s.noDefaultWindow = true;

  enableConsoleMode();
  if (s.help) {
    printNormal(usageText());
    return OptionResult::finished;
  }
  if (s.version) {
    printNormal(kBanner);
    return OptionResult::finished;
  }

  s.proceduresPath = valueOf<std::vector<std::string>>(values, "procedures-path");
  const std::vector<std::string> typedProceduresPath = s.proceduresPath;
  for (std::string& entry : s.proceduresPath) entry = fromStartDirectory(entry);
  s.debugPassword = valueOf<std::string>(values, "debug-password");
  s.debugPort = valueOf<int>(values, "debug-port");
  s.halconroot = valueOf<std::string>(values, "halconroot");
  s.halconversion = valueOf<std::string>(values, "halconversion");
  if (values.count("dump-windows")) {
    s.dumpWindows = fromStartDirectory(valueOf<std::string>(values, "dump-windows"));
    if (s.dumpWindows.empty()) {
      printError("the option '--dump-windows' needs a directory");
      return OptionResult::failed;
    }
  }
  if (values.count("watch-dirs")) {
    s.watchDirs = valueOf<std::vector<std::string>>(values, "watch-dirs");
    s.watch = true;
  }
  if (!s.queryMode && !takeBatchOptions(s, values, !tokens.empty())) return OptionResult::failed;
  if (s.isChildProcess) {
    // A child runs one script, and hands its record to the parent, which reports.
    s.separate = s.watch = s.queryMode = false;
    s.watchDirs.clear();
    s.all.clear();
    s.report.clear();
  }

  // A separate-mode child runs the script its parent located, also one chosen in the parent's
  // dialog, whatever directory the parent has entered since.
  const std::string located = s.isChildProcess ? os::getEnvironment(kLocatedScriptVariable) : "";
  if (!s.queryMode && s.all.empty()) {
    if (!tokens.empty()) {
      takeScript(s, std::move(tokens));
      if (!located.empty()) s.scriptArgument = located;
    } else if (!located.empty()) {
      s.scriptArgument = located;
    } else if (std::string chosen = s.noDialogs ? "" : openScriptDialog(); !chosen.empty()) {
      s.scriptArgument = chosen;
      s.scriptChosenByDialog = true;
    } else {
      printNormal(usageText());
      return OptionResult::failed;
    }
  }
  if (s.verbose) warnAboutMissingPaths(s, typedProceduresPath);
  return OptionResult::proceed;
}

}  // namespace Velotrax
