// Holds Wine's desktop for a whole test run. Wine ends its desktop process a few seconds after
// the last program on the desktop has ended, and a program that starts while the desktop goes
// down or comes back up waits up to ten seconds for it. Started once with the test prefix, this
// program keeps the desktop up until the prefix's server is stopped.
#include <windows.h>

int main() {
  GetDesktopWindow();
  Sleep(INFINITE);
}
