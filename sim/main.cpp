// ovensim: plays a Pellandrix oven on a pseudo-terminal.
//
// This first version provides the line only: it prints the port's path, makes
// the optional link, and takes whatever is sent until it is stopped. The boot
// loaders and the language receiver are added with the programming dialogues.

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include "PseudoTerminal.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void RequestStop(int) { stopRequested = 1; }

int Usage(std::FILE* out, int exitCode) {
  std::fputs(
      "Usage: ovensim [--link PATH]\n"
      "Plays a Pellandrix oven on a pseudo-terminal and prints the port's path.\n"
      "  --link PATH  also make PATH a symbolic link to the port\n"
      "  --help       show this text\n"
      "Stops on SIGINT or SIGTERM.\n",
      out);
  return exitCode;
}

}  // namespace

int main(int argc, char** argv) {
  std::string linkPath;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--help") return Usage(stdout, 0);
    if (argument == "--link" && i + 1 < argc) {
      linkPath = argv[++i];
    } else {
      std::fprintf(stderr, "ovensim: unknown argument '%s'\n", argv[i]);
      return Usage(stderr, 2);
    }
  }

  PseudoTerminal line;
  if (!line.IsOpen()) {
    std::fprintf(stderr, "ovensim: cannot create a pseudo-terminal: %s\n", std::strerror(errno));
    return 1;
  }
  if (!linkPath.empty()) {
    ::unlink(linkPath.c_str());
    if (::symlink(line.SlavePath().c_str(), linkPath.c_str()) != 0) {
      std::fprintf(stderr, "ovensim: cannot link %s: %s\n", linkPath.c_str(), std::strerror(errno));
      return 1;
    }
  }

  struct sigaction action {};
  action.sa_handler = RequestStop;
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGTERM, &action, nullptr);

  std::printf("%s\n", line.SlavePath().c_str());
  std::fflush(stdout);

  unsigned char buffer[512];
  while (!stopRequested) {
    pollfd waitFor{line.MasterDescriptor(), POLLIN, 0};
    const int ready = ::poll(&waitFor, 1, 500);
    if (ready > 0 && (waitFor.revents & POLLIN)) {
      if (::read(line.MasterDescriptor(), buffer, sizeof buffer) < 0 && errno != EAGAIN && errno != EINTR &&
          errno != EIO) {
        break;
      }
    }
  }

  if (!linkPath.empty()) ::unlink(linkPath.c_str());
  return 0;
}
