// tessaramond-cli image, check and ports, and update without a port.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <random>
#include <sstream>

#include "HexFiles.h"
#include "PtyPair.h"

namespace {

struct Outcome {
  int exitCode = -1;
  std::string out;
  std::string err;
};

class CliTest : public ::testing::Test {
 protected:
  // Runs a shell command in the scratch folder (the tests use no blanks in
  // names, so the shell may split the arguments).
  Outcome Shell(const std::string& command) {
    const std::string line = "cd '" + folder_.Path().string() + "' && " + command + " >out.bin 2>err.txt";
    const int status = std::system(line.c_str());
    return {WEXITSTATUS(status), ReadAll(folder_ / "out.bin"), ReadAll(folder_ / "err.txt")};
  }
  Outcome Cli(const std::string& arguments) { return Shell("'" CLI_PATH "' " + arguments); }
  // The same with the port list; kUnset runs it without one.
  Outcome Cli(const std::string& portList, const std::string& arguments) {
    return Shell((portList == kUnset ? "env -u TESSARAMOND_PORTS" : "env TESSARAMOND_PORTS='" + portList + "'") +
                 " '" CLI_PATH "' " + arguments);
  }
  static constexpr const char* kUnset = "\n";

  std::vector<std::uint8_t> RandomImage(unsigned seed) {
    std::vector<std::uint8_t> image(0x20000);
    std::mt19937 random(seed);
    for (auto& byte : image) byte = static_cast<std::uint8_t>(random());
    return image;
  }

  TemporaryFolder folder_;
};


TEST_F(CliTest, ImageOfAFullFileMatchesTheDataInBothByteOrders) {
  const auto image = RandomImage(1);
  WriteTextFile(folder_ / "sm.hex", ImageHexText(image, "/SD"));
  const Outcome sm = Cli("image sm.hex --sm -o sm.bin");
  ASSERT_EQ(sm.exitCode, 0) << sm.err;
  EXPECT_EQ(ReadAll(folder_ / "sm.bin"), std::string(image.begin(), image.end()));

  WriteTextFile(folder_ / "bm.hex", ImageHexText(image, "/BM V5.16", 32));
  const Outcome bm = Cli("image --bm bm.hex");
  ASSERT_EQ(bm.exitCode, 0) << bm.err;
  auto swapped = image;
  for (std::size_t i = 0; i < swapped.size(); i += 2) std::swap(swapped[i], swapped[i + 1]);
  EXPECT_EQ(bm.out, std::string(swapped.begin(), swapped.end()));
}

TEST_F(CliTest, ImageReportsAFileItPassesOverAndWrongUse) {
  WriteTextFile(folder_ / "bad.hex", ":0300000011223396\n/SM\n");
  const Outcome bad = Cli("image bad.hex --sm -o bad.bin");
  EXPECT_EQ(bad.exitCode, 1);
  EXPECT_EQ(bad.err, "tessaramond-cli: bad.hex: line 1: Checksum error!\n");
  EXPECT_FALSE(std::filesystem::exists(folder_ / "bad.bin"));

  WriteTextFile(folder_ / "bm.hex", "/BM\n");
  EXPECT_EQ(Cli("image bm.hex --sm").exitCode, 1);
  EXPECT_EQ(Cli("image missing.hex --bm").exitCode, 1);

  for (const char* wrong : {"", "image", "image bm.hex", "image bm.hex --sm --bm", "image bm.hex --sm -x",
                            "image bm.hex bm.hex --bm", "frobnicate"}) {
    SCOPED_TRACE(wrong);
    const Outcome run = Cli(wrong);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("Try 'tessaramond-cli --help'"), std::string::npos);
  }
  const Outcome help = Cli("--help");
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_EQ(help.out.rfind("Usage: tessaramond-cli", 0), 0u);
  EXPECT_EQ(Cli("--version").out, "tessaramond-cli (Tessaramond) 1.0.0.1\n");
}

TEST_F(CliTest, CheckTellsWhichFileEachModuleGetsAndWhy) {
  const auto image = RandomImage(2);
  std::filesystem::create_directories(folder_ / "site" / "Hex");
  WriteTextFile(folder_ / "site" / "Hex" / "a.hex", ":0300000011223396\n/SM\n");
  WriteTextFile(folder_ / "site" / "Hex" / "b.hex", ImageHexText(image, "/SM"));

  const Outcome onlySm = Cli("check site");
  EXPECT_EQ(onlySm.exitCode, 1);
  const auto crc = crc32(0L, image.data(), static_cast<uInt>(image.size()));
  char expected[80];
  std::snprintf(expected, sizeof expected, "Control module (SM): site/Hex/b.hex, image CRC-32 %08lx\n", crc);
  EXPECT_EQ(onlySm.out.rfind(expected, 0), 0u) << onlySm.out;
  EXPECT_NE(onlySm.out.find("  site/Hex/a.hex: passed over: line 1: Checksum error!\n"), std::string::npos);
  EXPECT_NE(onlySm.out.find("Operating module (BM): no file\n"), std::string::npos);

  WriteTextFile(folder_ / "site" / "Hex" / "c.hex", "/BM\n");
  EXPECT_EQ(Cli("check site").exitCode, 0);
  EXPECT_EQ(Shell("cd site && '" CLI_PATH "' check").exitCode, 0);
  EXPECT_EQ(Cli("check nowhere").exitCode, 1);
}

// ports lists one port a line and succeeds with none. update never guesses a
// port: it names those this machine has, as ports lists them (here, where
// ttyS0 is the console, often none).
TEST_F(CliTest, UpdateWithoutAPortNamesThePortsItSeesAsPortsListsThem) {
  PtyPair first;
  PtyPair second;
  const Outcome listed = Cli(first.Path() + ":/dev/tessaramond-no-such-port:" + second.Path(), "ports");
  EXPECT_EQ(listed.exitCode, 0) << listed.err;
  EXPECT_EQ(listed.out, first.Path() + "\n" + second.Path() + "\n");

  const Outcome none = Cli("", "ports");
  EXPECT_EQ(none.exitCode, 0);
  EXPECT_EQ(none.out, "");
  EXPECT_NE(none.err.find("no serial port found"), std::string::npos) << none.err;

  const Outcome found = Cli(kUnset, "ports");
  ASSERT_EQ(found.exitCode, 0);
  const Outcome refused = Cli(kUnset, "update");
  EXPECT_EQ(refused.exitCode, 2);
  EXPECT_NE(refused.err.find("no port given"), std::string::npos) << refused.err;
  std::istringstream lines(found.out);
  for (std::string line; std::getline(lines, line);) {
    EXPECT_NE(refused.err.find(line.substr(0, line.find('\t'))), std::string::npos) << refused.err;
  }
  if (found.out.empty()) {
    EXPECT_NE(refused.err.find("serial ports found: none"), std::string::npos) << refused.err;
  }
}

}  // namespace
