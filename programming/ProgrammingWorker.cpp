#include "ProgrammingWorker.h"

void StartProgrammingWorker(WindowRequests& /*window*/) {
  // The run on the serial line is not in this build yet; the Update command
  // already ends here, which the worker will fill.
}
