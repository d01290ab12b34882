#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "HexFiles.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::size_t kBlock = 256;
// Also the telegram that closes the language upload.
const Bytes kUpdateRequest{0x02, 0x01, 0xAC, 0x00, 0xAD, 0x00};

// ovensim started in `folder` for the test, stopped with the object.
class Simulator {
 public:
  Simulator(std::vector<std::string> arguments, const TemporaryFolder& folder)
      : process_(WithProgram(std::move(arguments)), folder.Path().string(), (folder / "ovensim.err").string()),
        portPath_(process_.ReadLine().value_or("")) {}

  const std::string& PortPath() const { return portPath_; }
  // The exit status once it has ended by itself, -1 when it does not within 10 s.
  int ExitStatus() { return process_.Wait(std::chrono::seconds(10)); }

 private:
  static std::vector<std::string> WithProgram(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), OVENSIM_PATH);
    return arguments;
  }

  ChildProcess process_;
  std::string portPath_;
};

// The PC's end of the line, set up as the program sets up its port.
class Port {
 public:
  explicit Port(const std::string& path) : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC)) {
    termios settings{};
    if (fd_ < 0 || ::tcgetattr(fd_, &settings) != 0) return;
    ::cfmakeraw(&settings);
    ::cfsetspeed(&settings, B57600);
    ::tcsetattr(fd_, TCSANOW, &settings);
  }
  ~Port() {
    if (fd_ >= 0) ::close(fd_);
  }

  bool IsOpen() const { return fd_ >= 0; }

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
    int byte;
    while ((byte = ReadByte()) >= 0 && byte != '>') {
    }
    Write({'<'});
    std::string reply;
    while (reply.size() < 6 && (byte = ReadByte()) >= 0) reply += static_cast<char>(byte);
    return reply;
  }

  // Sends the image as the program does and gives the answers to the blocks
  // with data ('-' for none); stops at the first answer other than '!'.
  std::string SendBlocks(const Bytes& image, std::size_t wrongSumBlock = SIZE_MAX) {
    std::string answers;
    for (std::size_t number = 0; number < image.size() / kBlock; ++number) {
      Write({static_cast<std::uint8_t>(number >> 8), static_cast<std::uint8_t>(number)});
      const Bytes block(image.begin() + static_cast<std::ptrdiff_t>(number * kBlock),
                        image.begin() + static_cast<std::ptrdiff_t>((number + 1) * kBlock));
      if (std::all_of(block.begin(), block.end(), [](std::uint8_t b) { return b == 0xFF; })) continue;
      const auto sum = static_cast<std::uint8_t>(std::accumulate(block.begin(), block.end(), 0u));
      Write(block);
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

  // The update request, then '*' to the operating module's ready sign; gives
  // the answer to it.
  int StartOperatingModule() {
    Write(kUpdateRequest);
    if (!AwaitSign('#')) return -1;
    Write({'*'});
    return ReadByte();
  }

  // Sends a language telegram and reads the oven's 7 bytes: 'r' when they ask
  // for the telegram again, 'a' when they accept it, '-' when fewer came.
  char SendTelegram(const Bytes& telegram) {
    Write(telegram);
    int byte = 0;
    Bytes answer;
    while (answer.size() < 7 && (byte = ReadByte()) >= 0) answer.push_back(static_cast<std::uint8_t>(byte));
    if (answer.size() < 7) return '-';
    return answer[4] == 0x0D ? 'r' : 'a';
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

Bytes LanguageData(std::uint8_t first) {
  Bytes data(66);
  std::iota(data.begin(), data.end(), first);
  return data;
}

const Bytes kEndTelegram = Telegram(0xFFFFFFFF, Bytes(66, 0xFF));

Bytes ReadFile(const std::filesystem::path& path) {
  const std::string bytes = ReadAll(path);
  return Bytes(bytes.begin(), bytes.end());
}

// Blank blocks before data (1, 5 and the long run before 507) and data that
// starts like the next block's number (2) or like the end markers (507, all
// 0xFF but its last byte): the simulator must tell them apart by the PC's
// pause for the answer.
TEST(OvenSimulator, SavesAMixedImageWhole) {
  TemporaryFolder folder;
  Simulator simulator({"--save", folder.Path().string(), "--once", "--sm-only"}, folder);
  Port port(simulator.PortPath());
  ASSERT_TRUE(port.IsOpen()) << simulator.PortPath();

  const Bytes image = Image(508, {{0, {}}, {2, {0x00, 0x03}}, {6, {0x00, 0x07}}, {507, Bytes(255, 0xFF)}});
  EXPECT_EQ(port.Greet(), "DpcT4!");
  EXPECT_EQ(port.SendBlocks(image), "!!!!");
  EXPECT_EQ(simulator.ExitStatus(), 0);
  EXPECT_EQ(ReadFile(folder / "sm-image.bin"), image);
}

// SDZT1 has 248 blocks; a blank run to the end finishes with the end markers.
TEST(OvenSimulator, SdzModuleTakesItsOwnBlockCountThroughNoise) {
  TemporaryFolder folder;
  Simulator simulator({"--identification", "SDZT1", "--noise", "--save", folder.Path().string(), "--once", "--sm-only"},
                      folder);
  Port port(simulator.PortPath());
  ASSERT_TRUE(port.IsOpen()) << simulator.PortPath();

  const Bytes image = Image(248, {{3, {0x00, 0x04}}});
  EXPECT_EQ(port.Greet(), "SDZT1!");
  EXPECT_EQ(port.SendBlocks(image), "!");
  EXPECT_EQ(simulator.ExitStatus(), 0);
  EXPECT_EQ(ReadFile(folder / "sm-image.bin"), image);
}

// Answering at once, the oven's answer often reaches the PC before the PC's
// purge after its write and is thrown away there: it must come again, and
// every block must still be taken exactly once.
TEST(OvenSimulator, PromptAnswersThatThePurgeThrewAwayComeAgain) {
  TemporaryFolder folder;
  Simulator simulator({"--prompt", "--save", folder.Path().string(), "--once", "--sm-only"}, folder);
  Port port(simulator.PortPath());
  ASSERT_TRUE(port.IsOpen()) << simulator.PortPath();

  std::vector<std::pair<std::size_t, Bytes>> blocks;
  for (std::size_t number = 0; number < 508; number += 3) blocks.push_back({number, {}});
  const Bytes image = Image(508, blocks);
  EXPECT_EQ(port.Greet(), "DpcT4!");
  EXPECT_EQ(port.SendBlocks(image), std::string(blocks.size(), '!'));
  EXPECT_EQ(simulator.ExitStatus(), 0);
  EXPECT_EQ(ReadFile(folder / "sm-image.bin"), image);
}

TEST(OvenSimulator, WrongSumIsRefusedAndCountsAsTheProgramsFault) {
  TemporaryFolder folder;
  Simulator simulator({"--save", folder.Path().string(), "--once", "--sm-only"}, folder);
  Port port(simulator.PortPath());
  ASSERT_TRUE(port.IsOpen()) << simulator.PortPath();

  EXPECT_EQ(port.Greet(), "DpcT4!");
  EXPECT_EQ(port.SendBlocks(Image(508, {{0, {}}, {4, {}}}), 4), "!@");
  EXPECT_EQ(simulator.ExitStatus(), 1);
  EXPECT_FALSE(std::filesystem::exists(folder / "sm-image.bin"));
}

// The fault passes a blank block K on to the next block with data, and the
// oven then waits for a new update request.
TEST(OvenSimulator, RejectFaultHitsTheFirstDataBlockFromKAndTheOvenStartsAgain) {
  TemporaryFolder folder;
  Simulator simulator({"--reject-block", "2"}, folder);
  Port port(simulator.PortPath());
  ASSERT_TRUE(port.IsOpen()) << simulator.PortPath();

  EXPECT_EQ(port.Greet(), "DpcT4!");
  EXPECT_EQ(port.SendBlocks(Image(508, {{0, {}}, {3, {}}})), "!@");
  EXPECT_EQ(port.Greet(), "DpcT4!");
}

// A PC without a control-module file: the operating module's image, then two
// telegrams of language data, the second asked for again once, and the end
// and closing telegrams that complete the run.
TEST(OvenSimulator, TakesTheOperatingModulesImageAndTheLanguageData) {
  TemporaryFolder folder;
  Simulator simulator({"--no-control-module", "--repeat", "1", "--save", folder.Path().string(), "--once"}, folder);
  Port port(simulator.PortPath());
  ASSERT_TRUE(port.IsOpen()) << simulator.PortPath();

  EXPECT_EQ(port.StartOperatingModule(), '!');
  const Bytes image = Image(512, {{1, {}}, {2, {0x00, 0x03}}, {511, Bytes(255, 0xFF)}});
  EXPECT_EQ(port.SendBlocks(image), "!!!");
  ASSERT_TRUE(port.AwaitSign('+'));
  port.Write({'-'});
  const Bytes first = LanguageData(0x00), second = LanguageData(0x90);
  std::string answers;
  answers += port.SendTelegram(Telegram(0, first));
  answers += port.SendTelegram(Telegram(1, second));
  answers += port.SendTelegram(Telegram(1, second));
  EXPECT_EQ(answers, "ara");
  port.Write(kEndTelegram);
  port.Write(kUpdateRequest);

  EXPECT_EQ(simulator.ExitStatus(), 0);
  EXPECT_EQ(ReadFile(folder / "bm-image.bin"), image);
  Bytes language = first;
  language.insert(language.end(), second.begin(), second.end());
  EXPECT_EQ(ReadFile(folder / "language.bin"), language);
}

// A wrong checksum is answered with a repeat request and counts as the PC's
// fault; the telegram sent again is taken. Here the image is blank, and the
// Lumo line's ready sign is '9'.
TEST(OvenSimulator, TelegramWithAWrongChecksumIsAskedForAgain) {
  TemporaryFolder folder;
  Simulator simulator({"--no-control-module", "--lumo", "--save", folder.Path().string(), "--once"}, folder);
  Port port(simulator.PortPath());
  ASSERT_TRUE(port.IsOpen()) << simulator.PortPath();

  EXPECT_EQ(port.StartOperatingModule(), '!');
  EXPECT_EQ(port.SendBlocks(Image(512, {})), "");
  ASSERT_TRUE(port.AwaitSign('9'));
  port.Write({'-'});
  Bytes broken = Telegram(0, LanguageData(7));
  broken[74] ^= 0x01;
  std::string answers;
  answers += port.SendTelegram(broken);
  answers += port.SendTelegram(Telegram(0, LanguageData(7)));
  EXPECT_EQ(answers, "ra");
  port.Write(kEndTelegram);
  port.Write(kUpdateRequest);

  EXPECT_EQ(simulator.ExitStatus(), 1);
  EXPECT_EQ(ReadFile(folder / "bm-image.bin"), Bytes(512 * kBlock, 0xFF));
  EXPECT_EQ(ReadFile(folder / "language.bin"), LanguageData(7));
}

}  // namespace
