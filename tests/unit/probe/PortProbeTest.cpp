#include "PortProbe.h"
#include "PtyPair.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

using Pty = PtyPair;

class PortListEnvironment {
 public:
  explicit PortListEnvironment(const std::string& list) { ::setenv(kPortListVariable, list.c_str(), 1); }
  ~PortListEnvironment() { ::unsetenv(kPortListVariable); }
};

TEST(NaturalOrder, DigitRunsCompareByValue) {
  EXPECT_TRUE(NaturalLess("/dev/ttyS2", "/dev/ttyS10"));
  EXPECT_FALSE(NaturalLess("/dev/ttyS10", "/dev/ttyS2"));
  EXPECT_TRUE(NaturalLess("COM3", "COM12"));
  EXPECT_TRUE(NaturalLess("/dev/ttyS9", "/dev/ttyUSB0"));  // by name first
  EXPECT_TRUE(NaturalLess("/dev/ttyUSB1", "/dev/ttyUSB1a"));
  EXPECT_FALSE(NaturalLess("COM5", "COM5"));
  EXPECT_FALSE(NaturalLess("COM05", "COM5"));
  EXPECT_FALSE(NaturalLess("COM5", "COM05"));
}

TEST(PortProbe, ListFromEnvironmentKeepsOnlyPortsThatOpen) {
  Pty first;
  Pty second;
  ASSERT_FALSE(first.Path().empty());
  PortListEnvironment list(first.Path() + ":/dev/tessaramond-no-such-port::" + second.Path());

  const PortProbeResult result = ProbePorts();

  EXPECT_EQ(result.usablePorts, (std::vector<std::string>{first.Path(), second.Path()}));
  EXPECT_TRUE(result.deniedPorts.empty());
}

TEST(PortProbe, PortHeldByAnotherProgramIsNotListedAndProbeLeavesNoTrace) {
  Pty held;
  Pty free;
  PortListEnvironment list(held.Path() + ":" + free.Path());
  const int holder = ::open(held.Path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(holder, 0);
  ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);

  EXPECT_EQ(ProbePorts().usablePorts, std::vector<std::string>{free.Path()});

  ::close(holder);
  EXPECT_EQ(ProbePorts().usablePorts, (std::vector<std::string>{held.Path(), free.Path()}));
  // The probe released every port it opened: an exclusive open succeeds now.
  for (const std::string& path : {held.Path(), free.Path()}) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    ::close(fd);
  }
}

TEST(PortProbe, AFileThatIsNoTerminalIsNotAPort) {
  char path[] = "/tmp/tessaramond-probe-XXXXXX";
  const int fd = ::mkstemp(path);
  ASSERT_GE(fd, 0);
  ::close(fd);
  PortListEnvironment list(path);
  EXPECT_TRUE(ProbePorts().usablePorts.empty());
  ::unlink(path);
}

TEST(PortProbe, PortWithoutPermissionIsReportedAsDenied) {
  if (::geteuid() == 0) GTEST_SKIP() << "root opens every device";
  Pty pty;
  ASSERT_EQ(::chmod(pty.Path().c_str(), 0), 0);
  PortListEnvironment list(pty.Path());
  const PortProbeResult result = ProbePorts();
  EXPECT_TRUE(result.usablePorts.empty());
  EXPECT_EQ(result.deniedPorts, std::vector<std::string>{pty.Path()});
}

}  // namespace
