// Test hook: set_system('inject_fault', Kind) makes the next call of a library or engine entry
// point fail with an exception other than HException, so that hosts can test what they do with
// failures the library never raises on its own.
#pragma once

#include <string>

namespace standin {

enum class Fault { None, BadAlloc, StdException, Unknown, Vision, Engine };

// Arms one fault: "bad_alloc", "exception", "unknown", "vision" or "engine"; "none" disarms.
// "crash" ends the process at once, abnormally.
void armFault(const std::string& kind);
// Takes the armed fault. Library entry points pass engine = false and leave an engine fault
// armed for the next engine entry point.
Fault takeArmedFault(bool engine);
// Throws std::bad_alloc, a std::runtime_error, an int or an HException of operator op (code
// 21091); does nothing for None and Engine.
void throwFault(Fault fault, const char* op);
// Entry points of the library: throws the armed fault, if any.
inline void throwArmedLibraryFault(const char* op) {
  throwFault(takeArmedFault(false), op);
}

}  // namespace standin
