#include "PortProbe.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "HexFiles.h"
#include "PtyPair.h"

namespace {

namespace fs = std::filesystem;
using Ports = std::vector<FoundPort>;

// Counts the opens of the given device nodes while it exists, through any
// link to them: listing ports must open none.
class OpenWatch {
 public:
  explicit OpenWatch(const std::vector<std::string>& nodes) : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    for (const std::string& node : nodes) ::inotify_add_watch(fd_, node.c_str(), IN_OPEN);
  }
  ~OpenWatch() { ::close(fd_); }
  OpenWatch(const OpenWatch&) = delete;
  OpenWatch& operator=(const OpenWatch&) = delete;
  bool SawAnOpen() const {
    char events[4096];
    return ::read(fd_, events, sizeof events) > 0;
  }

 private:
  int fd_;
};

// Digit runs compare by value, names first, leading zeros aside.
TEST(NaturalOrder, DigitRunsCompareByValue) {
  const std::vector<std::string> sorted{"/dev/ttyS2", "/dev/ttyS9", "/dev/ttyS10", "/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyUSB1a"};
  for (std::size_t i = 0; i + 1 < sorted.size(); ++i) {
    EXPECT_TRUE(NaturalLess(sorted[i], sorted[i + 1]) && !NaturalLess(sorted[i + 1], sorted[i])) << sorted[i];
  }
  EXPECT_FALSE(NaturalLess("COM5", "COM5") || NaturalLess("COM05", "COM5") || NaturalLess("COM5", "COM05"));
}

// A port another program holds is listed too: only opening it would tell,
// and the open for the run then fails. One this user may not open is listed
// as denied.
TEST(PortProbe, ListFromEnvironmentKeepsTheTerminalsThatExistAndOpensNone) {
  TemporaryFolder folder;
  PtyPair first, held, locked;
  const std::string link = (folder / "oven").string();
  fs::create_symlink(first.Path(), link);
  const std::string plainFile = (folder / "plain").string();
  WriteTextFile(plainFile, "not a terminal");
  const int holder = ::open(held.Path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(holder, 0);
  ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
  ASSERT_EQ(::chmod(locked.Path().c_str(), 0), 0);
  const std::string list = first.Path() + ":/dev/tessaramond-no-such-port::" + held.Path() + ":" + plainFile + ":" +
                           link + ":" + locked.Path();
  ::setenv(kPortListVariable, list.c_str(), 1);
  const OpenWatch watch({first.Path(), held.Path(), locked.Path()});

  const PortProbeResult result = ProbePorts();

  ::unsetenv(kPortListVariable);
  ::close(holder);
  EXPECT_FALSE(watch.SawAnOpen());
  Ports usable{{first.Path().substr(5), first.Path(), ""}, {held.Path().substr(5), held.Path(), ""}, {link, link, ""}};
  Ports denied{{locked.Path().substr(5), locked.Path(), ""}};
  if (::geteuid() == 0) {  // root may open every device
    usable.push_back(denied.front());
    denied.clear();
  }
  EXPECT_EQ(result.usablePorts, usable);
  EXPECT_EQ(result.deniedPorts, denied);
}

// A machine's sysfs and /dev in a folder, shaped like the real ones: each
// class/tty entry a relative link into devices/, each tty's `device` a link
// up its device path, and the device nodes links to one pty.
class FakeMachine {
 public:
  explicit FakeMachine(std::string node) : node_(std::move(node)) {
    fs::create_directories(Root() / "dev");
    fs::create_directories(Root() / "sys/class/tty");
  }
  fs::path Root() const { return folder_.Path(); }

  // A tty whose device is sys/devices/`device` (none: a virtual one), with
  // the serial core's port type when given.
  void AddTty(const std::string& name, const std::string& device, const std::string& type = "", bool withNode = true) {
    const std::string ttyPath = (device.empty() ? "virtual" : device) + "/tty/" + name;
    fs::create_directories(Root() / "sys/devices" / ttyPath);
    fs::create_symlink("../../devices/" + ttyPath, Root() / "sys/class/tty" / name);
    if (!device.empty()) {
      fs::create_symlink("../../../" + fs::path(device).filename().string(), Root() / "sys/devices" / ttyPath / "device");
    }
    if (!type.empty()) Write("devices/" + ttyPath + "/type", type);
    if (withNode) fs::create_symlink(node_, Root() / "dev" / name);
  }
  // A USB device at sys/devices/`device`, "" for a string it lacks.
  void AddUsbDevice(const std::string& device, const std::string& product, const std::string& manufacturer,
                    const std::string& serial) {
    Write("devices/" + device + "/idVendor", "0403");
    if (!product.empty()) Write("devices/" + device + "/product", product);
    if (!manufacturer.empty()) Write("devices/" + device + "/manufacturer", manufacturer);
    if (!serial.empty()) Write("devices/" + device + "/serial", serial);
  }
  // A file under sys/, with a line end as sysfs gives it.
  void Write(const std::string& path, const std::string& value) {
    fs::create_directories((Root() / "sys" / path).parent_path());
    WriteTextFile(Root() / "sys" / path, value + "\n");
  }

 private:
  TemporaryFolder folder_;
  std::string node_;
};

TEST(PortProbe, ScanListsTheSerialPortsSysfsKnowsWithoutOpeningOne) {
  ::unsetenv(kPortListVariable);
  PtyPair pty;
  FakeMachine machine(pty.Path());
  const std::string usb = "pci0000:00/0000:00:14.0/usb1/";
  machine.AddUsbDevice(usb + "1-2", "FT232R USB UART", "FTDI", "A10K4ZQ");
  machine.AddTty("ttyUSB0", usb + "1-2/1-2:1.0/ttyUSB0");
  machine.AddUsbDevice(usb + "1-3", "USB Serial", "", "");
  machine.AddTty("ttyUSB1", usb + "1-3/1-3:1.0/ttyUSB1");
  machine.AddUsbDevice(usb + "1-4", "Arduino Uno", "Arduino (www.arduino.cc)", "85736323838351F0E1C1");
  machine.AddTty("ttyACM0", usb + "1-4/1-4:1.0");
  machine.AddUsbDevice(usb + "1-5", "FT232R USB UART", "FTDI", "A50285BI");
  machine.AddTty("ttyUSB12", usb + "1-5/1-5:1.0/ttyUSB12");                   // this user may not open it
  machine.AddTty("ttyUSB3", usb + "1-5/1-5:1.0/ttyUSB3", "", false);         // no node (yet)
  machine.AddTty("ttyS0", "pnp0/00:00/00:00:0/00:00:0.0", "4");  // the kernel's console
  machine.AddTty("ttyS1", "pnp0/00:01/00:01:0/00:01:0.0", "4");
  machine.AddTty("ttyS2", "platform/serial8250", "0");           // a slot without a UART
  machine.AddTty("tty0", "");
  machine.AddTty("console", "");
  machine.Write("devices/virtual/tty/console/active", "tty0 ttyS0");
  const OpenWatch watch({pty.Path()});
  const auto dev = [&machine](const std::string& name) { return (machine.Root() / "dev" / name).string(); };

  const PortProbeResult result = ListPorts({machine.Root(), [&](const char* path, int mode) {
    EXPECT_EQ(mode, R_OK | W_OK);
    errno = EACCES;
    return path == dev("ttyUSB12") ? -1 : 0;
  }});

  EXPECT_FALSE(watch.SawAnOpen());
  EXPECT_EQ(result.usablePorts,
            (Ports{{"ttyACM0", dev("ttyACM0"), "Arduino Uno, Arduino (www.arduino.cc), 85736323838351F0E1C1"},
                   {"ttyS1", dev("ttyS1"), ""},
                   {"ttyUSB0", dev("ttyUSB0"), "FT232R USB UART, FTDI, A10K4ZQ"},
                   {"ttyUSB1", dev("ttyUSB1"), "USB Serial"}}));
  EXPECT_EQ(result.deniedPorts, (Ports{{"ttyUSB12", dev("ttyUSB12"), "FT232R USB UART, FTDI, A50285BI"}}));
}

}  // namespace
