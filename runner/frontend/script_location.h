// Turns the script as typed into program or procedure, procedure directories and watch list,
// and makes the script's directory the working directory.
#pragma once

#include <string>

namespace Velotrax {

// Fills procedureName, programPath, scriptPath and procedureDirectories; returns the
// procedure path text (the directories joined with ';').
std::string locateScript();

// Makes the first procedure directory the working directory, if there is one.
void enterScriptDirectory();

// watchList = procedureDirectories followed by the --watch-dirs entries.
void buildWatchList();

}  // namespace Velotrax
