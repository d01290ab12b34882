#include "SimulatorOptions.h"

#include <charconv>
#include <string_view>
#include <utility>

namespace {

template <typename Number>
bool ParseNumber(std::string_view text, std::optional<Number>& number) {
  Number value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size() || text.empty()) return false;
  number = value;
  return true;
}

}  // namespace

std::optional<SimulatorOptions> SimulatorOptions::Parse(int argc, char** argv, std::string& problem) {
  SimulatorOptions options;
  ControlModuleFaults& faults = options.controlModuleFaults;
  OperatingModuleFaults& bmFaults = options.operatingModuleFaults;
  LanguageFaults& languageFaults = options.languageFaults;
  const struct {
    const char* name;
    bool* flag;
  } switches[] = {
      {"--pace", &options.pace},
      {"--prompt", &options.prompt},
      {"--once", &options.once},
      {"--help", &options.helpRequested},
      {"--no-control-module", &options.noControlModule},
      {"--sm-only", &options.smOnly},
      {"--lumo", &options.lumo},
      {"--noise", &faults.noise},
      {"--no-ready", &faults.noReady},
      {"--no-identification", &faults.noIdentification},
      {"--no-start-sign", &faults.noStartSign},
      {"--wrong-start-sign", &faults.wrongStartSign},
      {"--no-bm-ready", &bmFaults.noReady},
      {"--bm-no-start-sign", &bmFaults.noStartSign},
      {"--bm-wrong-start-sign", &bmFaults.wrongStartSign},
      {"--no-language-ready", &languageFaults.noReady},
      {"--hang-up-end", &languageFaults.hangUpEnd},
  };
  const struct {
    const char* name;
    std::optional<std::uint16_t>* block;
  } blockFaults[] = {
      {"--reject-block", &faults.blocks.rejectBlock},
      {"--silent-block", &faults.blocks.silentBlock},
      {"--odd-answer-block", &faults.blocks.oddAnswerBlock},
      {"--hang-up-block", &faults.blocks.hangUpBlock},
      {"--bm-reject-block", &bmFaults.blocks.rejectBlock},
      {"--bm-silent-block", &bmFaults.blocks.silentBlock},
      {"--bm-odd-answer-block", &bmFaults.blocks.oddAnswerBlock},
      {"--bm-hang-up-block", &bmFaults.blocks.hangUpBlock},
  };
  const struct {
    const char* name;
    std::optional<std::uint32_t>* counter;
  } telegramFaults[] = {
      {"--repeat", &languageFaults.repeatTelegram},
      {"--silent-telegram", &languageFaults.silentTelegram},
      {"--hang-up-telegram", &languageFaults.hangUpTelegram},
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
      if (!hasValue || !ParseNumber(argv[i + 1], *entry.block)) {
        return wrong(std::string(argument) + " needs a block number from 0 to 65535");
      }
      ++i;
      known = true;
    }
    for (const auto& entry : telegramFaults) {
      if (argument != entry.name) continue;
      if (!hasValue || !ParseNumber(argv[i + 1], *entry.counter)) {
        return wrong(std::string(argument) + " needs a telegram counter from 0 to 4294967295");
      }
      ++i;
      known = true;
    }
    if (!known) return wrong("unknown argument '" + std::string(argument) + "'");
  }
  if (options.smOnly && options.noControlModule) return wrong("--sm-only and --no-control-module exclude each other");
  if (options.pace && options.prompt) return wrong("--pace and --prompt exclude each other");
  return options;
}

const char* SimulatorOptions::UsageText() {
  return "Usage: ovensim [OPTION]...\n"
         "Plays a Pellandrix oven on a pseudo-terminal: after an update request the\n"
         "control module's boot loader (SM), then the operating module's (BM), then\n"
         "the language receiver. Prints the port's path as the first line, then waits\n"
         "for the update request. An update request while the oven sends a ready sign\n"
         "starts the run again. In the language upload the oven waits up to 60 s for\n"
         "each step of the PC's.\n"
         "  --link PATH              also make PATH a symbolic link to the port\n"
         "  --save DIR               save what is received as DIR/sm-image.bin,\n"
         "                           DIR/bm-image.bin and DIR/language.bin\n"
         "  --pace                   take as long as a 57600-baud line would\n"
         "  --prompt                 answer as soon as the PC's bytes are in, without\n"
         "                           the 1 ms a real line needs at least, and send an\n"
         "                           answer again when the PC's purge after its write\n"
         "                           threw it away: times the PC, not the line\n"
         "  --once                   end after one run: after the closing telegram, a\n"
         "                           fault or a protocol error, or when '#' has been\n"
         "                           unanswered for 10 s (a PC without a BM file); the\n"
         "                           exit status is 1 when the PC broke the protocol,\n"
         "                           else 0\n"
         "  --sm-only                play the SM boot loader only: a run ends after it\n"
         "  --no-control-module      skip the SM boot loader: the BM's comes right after\n"
         "                           the update request\n"
         "  --identification TEXT    the SM's identification (default DpcT4,\n"
         "                           508 blocks; SDZT1 has 248)\n"
         "  --lumo                   send the Lumo line's language ready sign '9'\n"
         "                           instead of '+'\n"
         "SM faults (the three answer faults hit the first block from K on with data):\n"
         "  --noise                  a few bytes of noise before every ready sign\n"
         "  --no-ready               never send the ready sign '>'\n"
         "  --no-identification      stay silent after '<'\n"
         "  --no-start-sign          send the identification without the start sign\n"
         "  --wrong-start-sign       send '?' instead of the start sign '!'\n"
         "  --reject-block K         answer '@' to block K\n"
         "  --silent-block K         do not answer block K\n"
         "  --odd-answer-block K     answer '?' to block K\n"
         "  --hang-up-block K        close the line when block number K comes, and end\n"
         "BM faults (the same for the BM's blocks):\n"
         "  --no-bm-ready            never send the ready sign '#'\n"
         "  --bm-no-start-sign       do not answer '*'\n"
         "  --bm-wrong-start-sign    answer '?' to '*'\n"
         "  --bm-reject-block K      answer '@' to block K\n"
         "  --bm-silent-block K      do not answer block K\n"
         "  --bm-odd-answer-block K  answer '?' to block K\n"
         "  --bm-hang-up-block K     close the line when block number K comes, and end\n"
         "Language faults (K is a telegram's counter):\n"
         "  --no-language-ready      never send the language ready sign\n"
         "  --repeat K               ask once for telegram K again\n"
         "  --silent-telegram K      do not answer telegram K\n"
         "  --hang-up-telegram K     close the line when telegram K comes, and end\n"
         "  --hang-up-end            close the line when the end telegram comes, and end\n"
         "  --help                   show this text\n"
         "Stops on SIGINT or SIGTERM.\n";
}
