#include "SerialPortPosix.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <optional>
#include <utility>

#include "PosixSystemCalls.h"

namespace {

// The rates termios has a constant for; there is no other way to ask for one.
constexpr std::pair<std::uint32_t, speed_t> kSpeeds[] = {
    {50, B50},         {75, B75},         {110, B110},       {134, B134},
    {150, B150},       {200, B200},       {300, B300},       {600, B600},
    {1200, B1200},     {1800, B1800},     {2400, B2400},     {4800, B4800},
    {9600, B9600},     {19200, B19200},   {38400, B38400},   {57600, B57600},
    {115200, B115200}, {230400, B230400},
#if defined(B460800)
    {460800, B460800}, {500000, B500000}, {576000, B576000}, {921600, B921600},
    {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000}, {2000000, B2000000},
#endif
};

std::optional<speed_t> SpeedFor(std::uint32_t baudRate) {
  for (const auto& [rate, speed] : kSpeeds) {
    if (rate == baudRate) return speed;
  }
  return std::nullopt;
}

#if defined(CRTSCTS)
constexpr tcflag_t kHardwareFlowControl = CRTSCTS;
#else
constexpr tcflag_t kHardwareFlowControl = 0;
#endif

// The control bits Open insists on; a driver that drops one refused them.
constexpr tcflag_t kCheckedControlBits =
    CSIZE | PARENB | CSTOPB | kHardwareFlowControl | CLOCAL | CREAD;

// Raw 8N1: every byte passes unchanged both ways, no parity, no flow control
// of either kind, modem status lines ignored. A read returns as soon as one
// byte is there; the time-out is poll's.
void MakeRaw8N1(termios& settings, speed_t speed) {
  settings.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF |
                        IXANY | INPCK);
  settings.c_oflag &= ~OPOST;
  settings.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  settings.c_cflag &= ~(CSIZE | PARENB | CSTOPB | kHardwareFlowControl);
  settings.c_cflag |= CS8 | CLOCAL | CREAD;
  settings.c_cc[VMIN] = 1;
  settings.c_cc[VTIME] = 0;
  cfsetispeed(&settings, speed);
  cfsetospeed(&settings, speed);
}

bool Taken(const termios& wanted, const termios& applied) {
  return (wanted.c_cflag & kCheckedControlBits) == (applied.c_cflag & kCheckedControlBits) &&
         cfgetispeed(&wanted) == cfgetispeed(&applied) &&
         cfgetospeed(&wanted) == cfgetospeed(&applied);
}

// Windows' rule for an all-immediate read: interval MAXDWORD, no totals.
constexpr std::uint32_t kNoWait = 0xFFFFFFFF;

}  // namespace

std::unique_ptr<SerialPortBackend> MakeSerialPortBackend() {
  return std::make_unique<SerialPortPosix>();
}

SerialPortPosix::SerialPortPosix() : SerialPortPosix(PosixSystemCalls::Instance()) {}

SerialPortPosix::SerialPortPosix(SystemCalls& calls) : calls_(calls) {}

SerialPortPosix::~SerialPortPosix() {
  if (IsOpen()) Release();
}

bool SerialPortPosix::Open(const std::string& portName, std::uint32_t baudRate, int& osError) {
  if (IsOpen()) Release();
  const std::optional<speed_t> speed = SpeedFor(baudRate);
  if (portName.empty()) {
    osError = ENOENT;
    return false;
  }
  if (!speed) {
    osError = EINVAL;
    return false;
  }
  // Non-blocking so that opening does not wait for a carrier that a line
  // without modem control never raises; Claim makes it blocking again.
  const int fd = calls_.Open(portName.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    osError = errno != 0 ? errno : EIO;
    return false;
  }
  fd_ = fd;
  const int error = Claim(*speed);
  if (error != 0) {
    Release();
    osError = error;
    return false;
  }
  return true;
}

int SerialPortPosix::Claim(speed_t speed) {
  // TIOCEXCL keeps other users out but not root; the lock keeps out root too.
  if (calls_.Flock(fd_, LOCK_EX | LOCK_NB) != 0) return errno == EWOULDBLOCK ? EBUSY : errno;
  if (calls_.SetExclusive(fd_) != 0) return errno;
  exclusive_ = true;
  const int flags = calls_.GetStatusFlags(fd_);
  if (flags == -1 || calls_.SetStatusFlags(fd_, flags & ~O_NONBLOCK) != 0) return errno;

  if (calls_.GetAttributes(fd_, foundSettings_) != 0) return errno;
  settingsFound_ = true;
  termios wanted = foundSettings_;
  MakeRaw8N1(wanted, speed);
  // tcsetattr succeeds if any part was taken, so read back what was.
  termios applied{};
  if (calls_.SetAttributes(fd_, TCSANOW, wanted) != 0) return errno;
  if (calls_.GetAttributes(fd_, applied) != 0) return errno;
  if (!Taken(wanted, applied)) return EINVAL;

  // Opening a tty raises both lines; they stay low until the first write.
  // A pty has none (ENOTTY), which is fine.
  calls_.ClearModemLines(fd_, TIOCM_DTR | TIOCM_RTS);
  // USB adapters otherwise hold each answer back for up to 16 ms. Drivers
  // without the setting refuse it; that costs only speed. The flag outlives
  // the descriptor, so Release turns it off again if it was off.
  bool lowLatency = false;
  if (calls_.GetLowLatency(fd_, lowLatency) == 0 && !lowLatency) {
    lowLatencySet_ = calls_.SetLowLatency(fd_, true) == 0;
  }
  return 0;
}

int SerialPortPosix::Release() {
  if (lowLatencySet_) calls_.SetLowLatency(fd_, false);
  // Not before the last bytes have left: some adapters' tcdrain returns while
  // they still hold some, which must not go out at the old settings' speed.
  // A signal (Ctrl-C) can cut that wait short.
  if (settingsFound_) {
    int restored = 0;
    do {
      restored = calls_.SetAttributes(fd_, TCSADRAIN, foundSettings_);
    } while (restored != 0 && errno == EINTR);
  }
  // A pty keeps the exclusive flag after the last descriptor has gone and
  // would then refuse every other user.
  if (exclusive_) calls_.ClearExclusive(fd_);
  calls_.Flock(fd_, LOCK_UN);
  // On Linux the descriptor is gone even if close fails: never close twice.
  const int result = calls_.Close(fd_);
  fd_ = -1;
  exclusive_ = false;
  settingsFound_ = false;
  lowLatencySet_ = false;
  return result;
}

bool SerialPortPosix::Close() { return IsOpen() && Release() == 0; }

bool SerialPortPosix::IsOpen() const { return fd_ >= 0; }

bool SerialPortPosix::ReadOne(std::uint8_t& destination) {
  using Clock = std::chrono::steady_clock;
  lineDown_ = false;
  if (!IsOpen()) return false;
  // Windows allows a read multiplier x bytes asked + constant, counted from
  // the start; one byte is asked here. The interval time-out runs between
  // the bytes of one read, so never here.
  const std::chrono::milliseconds total(std::uint64_t{timeouts_.readTotalMultiplier} * 1 +
                                        timeouts_.readTotalConstant);
  const bool limited = total.count() != 0;
  const Clock::time_point deadline = Clock::now() + total;
  for (;;) {
    // Without totals Windows waits for the byte as long as it takes, or, with
    // the interval at MAXDWORD, not at all.
    int waitMs = timeouts_.readInterval == kNoWait ? 0 : -1;
    if (limited) {
      // Rounded up: poll must not wake just short of the deadline and spin.
      const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
      waitMs = static_cast<int>(std::clamp<std::int64_t>(left.count(), 0, INT_MAX));
    }
    pollfd wanted{fd_, POLLIN, 0};
    const int ready = calls_.Poll(&wanted, 1, waitMs);
    if (ready < 0 && errno == EINTR) continue;
    if (ready == 0) return false;  // the time is up
    if (ready < 0) {
      lineDown_ = true;
      return false;
    }
    // Bytes still buffered when the far end went are read first.
    if ((wanted.revents & POLLIN) == 0) {
      lineDown_ = true;  // hang-up or error
      return false;
    }
    std::uint8_t byte = 0;
    const ssize_t got = calls_.Read(fd_, &byte, 1);
    if (got == 1) {
      destination = byte;
      return true;
    }
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    // Readable but nothing to read (0) is the far end gone, like EIO.
    lineDown_ = true;
    return false;
  }
}

bool SerialPortPosix::WriteAll(const std::uint8_t* data, std::size_t length) {
  if (!IsOpen()) return false;
  std::size_t sent = 0;
  while (sent < length) {
    const ssize_t written = calls_.Write(fd_, data + sent, length - sent);
    if (written > 0) {
      sent += static_cast<std::size_t>(written);
    } else if (written == 0 || errno != EINTR) {
      return false;
    }
  }
  return true;
}

// tcdrain has no time-out to run out: the driver took every byte, and a
// drain that fails (the far end hung up just as our last bytes went out, such
// as an oven that restarts on the closing telegram) says nothing about them.
// A line that has gone shows at the next read.
bool SerialPortPosix::WaitTransmitEmpty(std::size_t /*bytes*/) {
  if (!IsOpen()) return false;
  while (calls_.Drain(fd_) != 0 && errno == EINTR) {
  }
  return true;
}

// Writes are synchronous, so nothing is pending here: whatever the transmit
// queue holds came from a write that succeeded. tcdrain returns before a pty
// or some USB adapters have sent it all, and a TCOFLUSH would destroy it, so a
// transmit purge discards nothing.
bool SerialPortPosix::PurgeTx() { return IsOpen(); }

bool SerialPortPosix::PurgeRx() { return IsOpen() && calls_.Flush(fd_, TCIFLUSH) == 0; }

// There are no port events here: a read waits in poll and the end of a
// transmission is tcdrain, so the mask has nothing to set.
bool SerialPortPosix::SetEventMask(std::uint32_t) { return IsOpen(); }

// Writes block until the driver has taken every byte; the write time-outs are
// kept but, like the callers' zeros, mean no limit.
bool SerialPortPosix::SetTimeouts(const Timeouts& timeouts) {
  if (!IsOpen()) return false;
  timeouts_ = timeouts;
  return true;
}

bool SerialPortPosix::SetRts() { return IsOpen() && calls_.SetModemLines(fd_, TIOCM_RTS) == 0; }

bool SerialPortPosix::ClearRts() { return IsOpen() && calls_.ClearModemLines(fd_, TIOCM_RTS) == 0; }

bool SerialPortPosix::SetDtr() { return IsOpen() && calls_.SetModemLines(fd_, TIOCM_DTR) == 0; }
