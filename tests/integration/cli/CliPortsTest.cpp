// tessaramond-cli ports, and update without a port.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>

#include "HexFiles.h"
#include "PtyPair.h"

namespace {

struct Outcome {
  int exitCode = -1;
  std::string out;
  std::string err;
};

class CliPortsTest : public ::testing::Test {
 protected:
  // The command line with the given port list; `unset` runs it without one.
  Outcome Cli(const std::string& portList, const std::string& arguments) {
    const std::string environment =
        portList == kUnset ? "env -u TESSARAMOND_PORTS" : "env TESSARAMOND_PORTS='" + portList + "'";
    const std::string line = "cd '" + folder_.Path().string() + "' && " + environment + " '" CLI_PATH "' " +
                             arguments + " >out.txt 2>err.txt";
    const int status = std::system(line.c_str());
    return {WEXITSTATUS(status), ReadAll(folder_ / "out.txt"), ReadAll(folder_ / "err.txt")};
  }
  static constexpr const char* kUnset = "\n";
  TemporaryFolder folder_;
};

TEST_F(CliPortsTest, ListsOnePortALineAndSucceedsWithNone) {
  PtyPair first;
  PtyPair second;
  const Outcome listed = Cli(first.Path() + ":/dev/tessaramond-no-such-port:" + second.Path(), "ports");
  EXPECT_EQ(listed.exitCode, 0) << listed.err;
  EXPECT_EQ(listed.out, first.Path() + "\n" + second.Path() + "\n");

  const Outcome none = Cli("", "ports");
  EXPECT_EQ(none.exitCode, 0);
  EXPECT_EQ(none.out, "");
  EXPECT_NE(none.err.find("no serial port found"), std::string::npos) << none.err;
}

// It never guesses a port: it names those this machine has, as ports lists
// them (here, where ttyS0 is the console, often none).
TEST_F(CliPortsTest, UpdateWithoutAPortNamesThePortsItSees) {
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
