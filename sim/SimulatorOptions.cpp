#include "SimulatorOptions.h"

#include <charconv>
#include <string_view>
#include <utility>

namespace {

bool ParseBlockNumber(std::string_view text, std::optional<std::uint16_t>& number) {
  std::uint16_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size() || text.empty()) return false;
  number = value;
  return true;
}

}  // namespace

std::optional<SimulatorOptions> SimulatorOptions::Parse(int argc, char** argv, std::string& problem) {
  SimulatorOptions options;
  ControlModuleFaults& faults = options.controlModuleFaults;
  const struct {
    const char* name;
    bool* flag;
  } switches[] = {
      {"--pace", &options.pace},
      {"--once", &options.once},
      {"--help", &options.helpRequested},
      {"--noise", &faults.noise},
      {"--no-ready", &faults.noReady},
      {"--no-identification", &faults.noIdentification},
      {"--no-start-sign", &faults.noStartSign},
      {"--wrong-start-sign", &faults.wrongStartSign},
  };
  const struct {
    const char* name;
    std::optional<std::uint16_t>* block;
  } blockFaults[] = {
      {"--reject-block", &faults.rejectBlock},
      {"--silent-block", &faults.silentBlock},
      {"--odd-answer-block", &faults.oddAnswerBlock},
      {"--hang-up-block", &faults.hangUpBlock},
  };
  const struct {
    const char* name;
    std::string* text;
  } texts[] = {
      {"--link", &options.linkPath},
      {"--save", &options.saveFolder},
      {"--identification", &options.identification},
  };

  const auto wrong = [&problem](std::string text) -> std::optional<SimulatorOptions> {
    problem = std::move(text);
    return std::nullopt;
  };
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    bool known = false;
    for (const auto& entry : switches) {
      if (argument == entry.name) *entry.flag = known = true;
    }
    if (known) continue;
    const bool hasValue = i + 1 < argc;
    for (const auto& entry : texts) {
      if (argument != entry.name) continue;
      if (!hasValue) return wrong(std::string(argument) + " needs a value");
      *entry.text = argv[++i];
      known = true;
    }
    for (const auto& entry : blockFaults) {
      if (argument != entry.name) continue;
      if (!hasValue || !ParseBlockNumber(argv[i + 1], *entry.block)) {
        return wrong(std::string(argument) + " needs a block number from 0 to 65535");
      }
      ++i;
      known = true;
    }
    if (!known) return wrong("unknown argument '" + std::string(argument) + "'");
  }
  return options;
}

const char* SimulatorOptions::UsageText() {
  return "Usage: ovensim [OPTION]...\n"
         "Plays a Pellandrix oven's control-module boot loader on a pseudo-terminal.\n"
         "Prints the port's path as the first line, then waits for the update request.\n"
         "  --link PATH              also make PATH a symbolic link to the port\n"
         "  --save DIR               save each received image as DIR/sm-image.bin\n"
         "  --pace                   take as long as a 57600-baud line would\n"
         "  --once                   end after one dialogue; the exit status is 1 when\n"
         "                           the PC broke the protocol, else 0\n"
         "  --identification TEXT    the module's identification (default DpcT4,\n"
         "                           508 blocks; SDZT1 has 248)\n"
         "Faults (the three answer faults hit the first block from K on with data):\n"
         "  --noise                  a few bytes of noise before every ready sign\n"
         "  --no-ready               never send the ready sign '>'\n"
         "  --no-identification      stay silent after '<'\n"
         "  --no-start-sign          send the identification without the start sign\n"
         "  --wrong-start-sign       send '?' instead of the start sign '!'\n"
         "  --reject-block K         answer '@' to block K\n"
         "  --silent-block K         do not answer block K\n"
         "  --odd-answer-block K     answer '?' to block K\n"
         "  --hang-up-block K        close the line when block number K comes, and end\n"
         "  --help                   show this text\n"
         "Stops on SIGINT or SIGTERM.\n";
}
