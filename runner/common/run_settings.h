// The process-wide record of option values and derived run state, and the located script.
#pragma once

#include <string>
#include <vector>

namespace Velotrax {

constexpr int kDefaultDebugPort = 57786;

// The environment variable that hands a separate-mode child the script its parent located.
constexpr const char* kLocatedScriptVariable = "VELOTRAX_SCRIPT";

// Written on the main thread before any other thread exists; only read afterwards.
struct RunSettings {
  // Options, each named after its command-line option.
  bool help = false;
  bool verbose = false;
  bool fullscreen = false;
  bool watch = false;
  bool separate = false;
  bool version = false;
  bool searchParent = false;
  bool noDialogs = false;
  bool noDefaultWindow = false;
  std::vector<std::string> proceduresPath;
  std::vector<std::string> watchDirs;
  bool debug = false;
  std::string debugPassword;
  int debugPort = kDefaultDebugPort;
  bool debugWaitForConnection = false;
  std::string halconroot;
  std::string halconversion;
  bool checkonly = false;
  bool ignoreUnresolvedLines = false;
  bool ignoreInvalidLines = false;
  bool executeProceduresJitCompiled = false;
  bool getVersion = false;
  std::string dumpWindows;       // absolute; empty when windows are not dumped
  std::string report;            // the JUnit report's path, absolute; empty for none
  std::vector<std::string> all;  // --all: run every script under these paths
  int jobs = 0;                  // children at once for --all; 0: one per core
  double timeoutSeconds = 0;     // a script's time limit for --all; 0: none
  int shardIndex = 0;            // --shard K/N: the K-th (from 1) of N slices; 0: the whole list
  int shardCount = 0;

  // Derived state.
  bool isChildProcess = false;               // started by a separate-mode parent
  bool queryMode = false;                    // only answer a query, run nothing
  bool scriptChosenByDialog = false;         // the script came from the open-file dialog
  std::string scriptArgument;                // the script as typed
  std::string startDirectory;                // where the runner started; empty when unknown
  std::vector<std::string> scriptArguments;  // tokens after the script: procedure inputs
};

// The one record of this process, filled by the option step; below the entry, functions are
// handed what they read.
RunSettings& runSettings();

// The script as found: what to run, and where its procedures are.
struct LocatedScript {
  std::string procedureName;  // the procedure to run; empty for a program
  std::string programPath;    // the program to run; empty for a procedure
  std::string scriptPath;     // the script file; empty when a relative name was not found
  std::vector<std::string> procedureDirectories;  // the script's directory, then --path entries
  // The script file with ":procedure" for a library: what a separate-mode child is to run.
  // Empty when a relative name was not found.
  std::string childScript;
};

}  // namespace Velotrax
