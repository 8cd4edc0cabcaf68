// A library of a test installation that only carries a version: enough to be loaded and have
// its version read, not to run anything.
extern "C" int velotraxTestInstallation() {
  return 0;
}
