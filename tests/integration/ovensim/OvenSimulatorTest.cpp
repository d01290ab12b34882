#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <span>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "HexFiles.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::size_t kBlock = 256;
// Also the telegram that closes the language upload.
const Bytes kUpdateRequest{0x02, 0x01, 0xAC, 0x00, 0xAD, 0x00};

// The PC's end of the line, set up as the program sets up its port.
class Port {
 public:
  explicit Port(const std::string& path) : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC)) {
    termios settings{};
    EXPECT_GE(fd_, 0) << path;
    if (fd_ < 0 || ::tcgetattr(fd_, &settings) != 0) return;
    ::cfmakeraw(&settings);
    ::cfsetspeed(&settings, B57600);
    ::tcsetattr(fd_, TCSANOW, &settings);
  }
  ~Port() {
    if (fd_ >= 0) ::close(fd_);
  }

  // Like the program's writes, purges the input right after: an answer that
  // came too soon is lost.
  void Write(const Bytes& bytes) {
    EXPECT_EQ(::write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    ::tcflush(fd_, TCIFLUSH);
  }
  // The next byte within the program's 3 s, -1 when none came.
  int ReadByte() {
    pollfd ready{fd_, POLLIN, 0};
    std::uint8_t byte;
    if (::poll(&ready, 1, 3000) <= 0 || ::read(fd_, &byte, 1) != 1) return -1;
    return byte;
  }

  // The update request and the wait for the ready sign; gives the 6 bytes
  // after '<': the identification and the start sign.
  std::string Greet() {
    Write(kUpdateRequest);
    AwaitSign('>');
    Write({'<'});
    return Read(6);
  }
  // Up to `count` bytes, fewer when the oven fell silent.
  std::string Read(std::size_t count) {
    std::string bytes;
    for (int byte; bytes.size() < count && (byte = ReadByte()) >= 0;) bytes += static_cast<char>(byte);
    return bytes;
  }

  // Sends the image as the program does and gives the answers to the blocks
  // with data ('-' for none); stops at the first answer other than '!'.
  std::string SendBlocks(const Bytes& image, std::size_t wrongSumBlock = SIZE_MAX) {
    std::string answers;
    for (std::size_t number = 0; number < image.size() / kBlock; ++number) {
      Write({static_cast<std::uint8_t>(number >> 8), static_cast<std::uint8_t>(number)});
      const auto block = std::span(image).subspan(number * kBlock, kBlock);
      if (std::all_of(block.begin(), block.end(), [](std::uint8_t b) { return b == 0xFF; })) continue;
      const auto sum = static_cast<std::uint8_t>(std::accumulate(block.begin(), block.end(), 0u));
      Write(Bytes(block.begin(), block.end()));
      Write({static_cast<std::uint8_t>(number == wrongSumBlock ? sum + 1 : sum)});
      const int answer = ReadByte();
      answers += answer < 0 ? '-' : static_cast<char>(answer);
      if (answer != '!') return answers;
    }
    for (int i = 0; i < 101; ++i) Write({0xFF, 0xFF});
    return answers;
  }

  // Reads past anything else up to `sign`; false when it did not come.
  bool AwaitSign(int sign) {
    for (int byte; (byte = ReadByte()) >= 0;) {
      if (byte == sign) return true;
    }
    return false;
  }

  // Sends a language telegram and reads the oven's 7 bytes: 'r' when they ask
  // for the telegram again, 'a' when they accept it, '-' when fewer came.
  char SendTelegram(const Bytes& telegram) {
    Write(telegram);
    const std::string answer = Read(7);
    return answer.size() < 7 ? '-' : answer[4] == 0x0D ? 'r' : 'a';
  }

 private:
  int fd_;
};

// Blocks with data where `first` names them (each starting with the given
// bytes), all else blank.
Bytes Image(std::size_t blocks, const std::vector<std::pair<std::size_t, Bytes>>& first) {
  Bytes image(blocks * kBlock, 0xFF);
  for (const auto& [number, start] : first) {
    for (std::size_t i = 0; i < kBlock; ++i) image[number * kBlock + i] = static_cast<std::uint8_t>(i * 7 + number);
    std::copy(start.begin(), start.end(), image.begin() + static_cast<std::ptrdiff_t>(number * kBlock));
  }
  return image;
}

// A language telegram: frame, counter (low byte first), 66 data bytes and the
// sum of all but the first byte, low byte first.
Bytes Telegram(std::uint32_t counter, const Bytes& data) {
  Bytes telegram{0x02, 0x01, 0xAD, 0x46};
  for (int shift = 0; shift < 32; shift += 8) telegram.push_back(static_cast<std::uint8_t>(counter >> shift));
  telegram.insert(telegram.end(), data.begin(), data.end());
  const unsigned sum = std::accumulate(telegram.begin() + 1, telegram.end(), 0u);
  telegram.push_back(static_cast<std::uint8_t>(sum));
  telegram.push_back(static_cast<std::uint8_t>(sum >> 8));
  return telegram;
}

Bytes ReadFile(const std::filesystem::path& path) {
  const std::string bytes = ReadAll(path);
  return Bytes(bytes.begin(), bytes.end());
}

// ovensim started with `arguments` in a folder of its own, saving there, and
// the PC's end of its line.
struct Oven {
  explicit Oven(std::vector<std::string> arguments)
      : process(Command(std::move(arguments)), folder.Path().string(), (folder / "ovensim.err").string()),
        port(process.ReadLine().value_or("")) {}
  static std::vector<std::string> Command(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), OVENSIM_PATH);
    arguments.insert(arguments.end(), {"--save", "."});
    return arguments;
  }
  // The exit status once it has ended by itself, -1 when it does not within 10 s.
  int ExitStatus() { return process.Wait(std::chrono::seconds(10)); }

  TemporaryFolder folder;
  ChildProcess process;
  Port port;
};

// One control-module update each: the sign after the identification, the
// answers to the blocks with data and the image saved when the run ends well.
TEST(OvenSimulator, ControlModuleUpdates) {
  struct Case {
    const char* what;
    std::vector<std::string> arguments;
    std::string greeting;
    Bytes image;
    std::string answers;
    int exitStatus;  // -1: the oven waits for the next update request
    std::size_t wrongSumBlock = SIZE_MAX;
  };
  std::vector<std::pair<std::size_t, Bytes>> everyThird;
  for (std::size_t number = 0; number < 508; number += 3) everyThird.push_back({number, {}});
  const Case cases[] = {
      // Blank blocks before data (1, 5 and the long run before 507) and data
      // that starts like the next block's number (2) or like the end markers
      // (507, all 0xFF but its last byte): the simulator must tell them apart
      // by the PC's pause for the answer.
      {"a mixed image", {"--once", "--sm-only"}, "DpcT4!",
       Image(508, {{0, {}}, {2, {0x00, 0x03}}, {6, {0x00, 0x07}}, {507, Bytes(255, 0xFF)}}), "!!!!", 0},
      // SDZT1 has 248 blocks; a blank run to the end finishes with the end markers.
      {"SDZT1 through noise", {"--identification", "SDZT1", "--noise", "--once", "--sm-only"}, "SDZT1!",
       Image(248, {{3, {0x00, 0x04}}}), "!", 0},
      // Answering at once, the oven's answer often reaches the PC before the
      // PC's purge after its write and is thrown away there: it must come
      // again, and every block must still be taken exactly once.
      {"prompt answers", {"--prompt", "--once", "--sm-only"}, "DpcT4!", Image(508, everyThird), std::string(170, '!'), 0},
      // A wrong sum is refused and counts as the program's fault.
      {"a wrong sum", {"--once", "--sm-only"}, "DpcT4!", Image(508, {{0, {}}, {4, {}}}), "!@", 1, 4},
      // The fault passes a blank block K on to the next block with data.
      {"a reject fault", {"--reject-block", "2"}, "DpcT4!", Image(508, {{0, {}}, {3, {}}}), "!@", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Oven run(c.arguments);
    EXPECT_EQ(run.port.Greet(), c.greeting);
    EXPECT_EQ(run.port.SendBlocks(c.image, c.wrongSumBlock), c.answers);
    if (c.exitStatus < 0) {
      EXPECT_EQ(run.port.Greet(), c.greeting);
      continue;
    }
    EXPECT_EQ(run.ExitStatus(), c.exitStatus);
    EXPECT_EQ(ReadFile(run.folder / "sm-image.bin"), c.exitStatus == 0 ? c.image : Bytes{});
  }
}

// A PC without a control-module file: the operating module's image, then
// language data. A telegram with a wrong checksum is answered with a repeat
// request and counts as the PC's fault; the telegram sent again is taken, as
// is one the oven asks for again by itself. The Lumo line's ready sign is '9'.
TEST(OvenSimulator, TakesTheOperatingModulesImageAndTheLanguageData) {
  Oven run({"--no-control-module", "--lumo", "--repeat", "1", "--once"});
  // The update request, then '*' to the operating module's ready sign.
  run.port.Write(kUpdateRequest);
  ASSERT_TRUE(run.port.AwaitSign('#'));
  run.port.Write({'*'});
  EXPECT_EQ(run.port.ReadByte(), '!');
  const Bytes image = Image(512, {{1, {}}, {2, {0x00, 0x03}}, {511, Bytes(255, 0xFF)}});
  EXPECT_EQ(run.port.SendBlocks(image), "!!!");
  ASSERT_TRUE(run.port.AwaitSign('9'));
  run.port.Write({'-'});
  Bytes first(66), second(66);
  std::iota(first.begin(), first.end(), 0x00);
  std::iota(second.begin(), second.end(), 0x90);
  Bytes broken = Telegram(0, first);
  broken[74] ^= 0x01;
  std::string answers;
  for (const Bytes& telegram : {broken, Telegram(0, first), Telegram(1, second), Telegram(1, second)}) {
    answers += run.port.SendTelegram(telegram);
  }
  EXPECT_EQ(answers, "rara");
  run.port.Write(Telegram(0xFFFFFFFF, Bytes(66, 0xFF)));
  run.port.Write(kUpdateRequest);

  EXPECT_EQ(run.ExitStatus(), 1);
  EXPECT_EQ(ReadFile(run.folder / "bm-image.bin"), image);
  Bytes language = first;
  language.insert(language.end(), second.begin(), second.end());
  EXPECT_EQ(ReadFile(run.folder / "language.bin"), language);
}

}  // namespace
