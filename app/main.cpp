#include <cstdio>
#include <cstdlib>

#include "UpdaterApp.h"

int main(int argc, char** argv) {
  const int exitCode = UpdaterApp().Run(argc, argv);
  // A worker thread may still be blocked on the port or in a window request;
  // it is detached and owns nothing that must be flushed, so end the process
  // here without running destructors under its feet.
  std::fflush(nullptr);
  std::quick_exit(exitCode);
}
