// Holds Wine's desktop for a whole test run. Wine ends its desktop process a few seconds after
// the last program on the desktop has ended, and a program that starts while the desktop goes
// down or comes back up waits up to ten seconds for it. Started once with the test prefix, this
// program keeps the desktop up until the prefix's server is stopped. Given a file name, it
// creates that file once it holds the desktop, for the script that waits for it.
#include <windows.h>

int main(int argc, char** argv) {
  GetDesktopWindow();
  if (argc > 1) {
    HANDLE ready = CreateFileA(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (ready != INVALID_HANDLE_VALUE) CloseHandle(ready);
  }
  Sleep(INFINITE);
}
