// Test helper: plays another program that uses a table. Opens the table
// through the engine's C interface, takes the lock asked for, answers one line
// ("held", "refused" or "unopened") on standard output and keeps everything
// until its standard input ends.
//
//   xb_lock_holder <table> <shared|readonly|exclusive> [file | record <n> | none]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/xbengine.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fputs("usage: xb_lock_holder <table> <shared|readonly|exclusive> [file|record n|none]\n",
               stderr);
    return 2;
  }
  const std::string mode = argv[2];
  const int16_t open_mode = mode == "exclusive"  ? XB_OPEN_EXCLUSIVE
                            : mode == "readonly" ? XB_OPEN_READONLY
                                                 : XB_OPEN_SHARED;
  const std::string lock = argc > 3 ? argv[3] : "none";

  const char* answer = "held";
  if (xb_UseEx(argv[1], "HOLDER", open_mode, 1, 1) < 1) {
    answer = "unopened";
  } else if (lock == "file") {
    answer = xb_Flock() ? "held" : "refused";
  } else if (lock == "record" && argc > 4) {
    answer = xb_Rlock(std::atoi(argv[4])) ? "held" : "refused";
  }
  std::printf("%s\n", answer);
  std::fflush(stdout);

  char line[64];
  while (std::fgets(line, sizeof(line), stdin) != nullptr) {
  }
  return 0;
}
