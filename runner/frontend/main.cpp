#include "main_flow.h"

int main(int argc, char* argv[]) {
  Velotrax::runEntry(argc, argv);
}
