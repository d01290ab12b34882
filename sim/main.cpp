// ovensim: plays a Pellandrix oven on a pseudo-terminal, so that the programs
// can be run and tested without an oven and without a real serial port.

#include <sys/prctl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "Oven.h"
#include "PseudoTerminal.h"
#include "SerialLine.h"
#include "SimulatorLog.h"
#include "SimulatorOptions.h"
#include "StopRequest.h"

int main(int argc, char** argv) {
  std::string problem;
  const auto options = SimulatorOptions::Parse(argc, argv, problem);
  if (!options) {
    std::fprintf(stderr, "ovensim: %s\n%s", problem.c_str(), SimulatorOptions::UsageText());
    return 2;
  }
  if (options->helpRequested) {
    std::fputs(SimulatorOptions::UsageText(), stdout);
    return 0;
  }
  std::error_code error;
  if (!options->saveFolder.empty() && !std::filesystem::is_directory(options->saveFolder, error)) {
    std::fprintf(stderr, "ovensim: %s is no folder\n", options->saveFolder.c_str());
    return 2;
  }

  StopRequest stop;
  PseudoTerminal terminal;
  if (!terminal.IsOpen()) {
    std::fprintf(stderr, "ovensim: cannot create a pseudo-terminal: %s\n", std::strerror(errno));
    return 1;
  }
  const std::string& linkPath = options->linkPath;
  if (!linkPath.empty()) {
    ::unlink(linkPath.c_str());
    if (::symlink(terminal.SlavePath().c_str(), linkPath.c_str()) != 0) {
      std::fprintf(stderr, "ovensim: cannot link %s: %s\n", linkPath.c_str(), std::strerror(errno));
      return 1;
    }
  }

  std::printf("%s\n", terminal.SlavePath().c_str());
  std::fflush(stdout);

  // Sleeps end when asked, not up to 50 us later: the paced line's timing
  // depends on it.
  ::prctl(PR_SET_TIMERSLACK, 1UL);

  SimulatorLog log;
  const auto timing = options->pace     ? SerialLine::Timing::Paced
                      : options->prompt ? SerialLine::Timing::Prompt
                                        : SerialLine::Timing::Turnaround;
  SerialLine line(terminal, stop, log, timing);
  const int status = Oven(line, log, *options).Run();
  // Closing the master would throw away what the PC has not read yet.
  line.AwaitDelivery(std::chrono::seconds(3));

  if (!linkPath.empty()) ::unlink(linkPath.c_str());
  return status;
}
