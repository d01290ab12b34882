#include "PseudoTerminal.h"

#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

PseudoTerminal::PseudoTerminal() {
  char name[256] = {};
  if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
    master_ = slave_ = -1;
    return;
  }
  slavePath_ = name;
  // Raw on the oven's side: every byte passes unchanged.
  termios settings{};
  if (::tcgetattr(slave_, &settings) == 0) {
    ::cfmakeraw(&settings);
    ::tcsetattr(slave_, TCSANOW, &settings);
  }
  ::fcntl(master_, F_SETFD, FD_CLOEXEC);
  ::fcntl(slave_, F_SETFD, FD_CLOEXEC);
}

PseudoTerminal::~PseudoTerminal() { Close(); }

int PseudoTerminal::UnreadOnSlave() const {
  int count = 0;
  if (slave_ < 0 || ::ioctl(slave_, TIOCINQ, &count) != 0) return 0;
  return count;
}

void PseudoTerminal::DiscardUnreadOnSlave() {
  if (slave_ >= 0) ::tcflush(slave_, TCIFLUSH);
}

void PseudoTerminal::Close() {
  if (slave_ >= 0) ::close(slave_);
  if (master_ >= 0) ::close(master_);
  slave_ = master_ = -1;
}
