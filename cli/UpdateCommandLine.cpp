#include "UpdateCommandLine.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>
#include <system_error>
#include <thread>

#include "CancelRequest.h"
#include "ConsoleWindow.h"
#include "FirmwareFileSelection.h"
#include "InterruptResponse.h"
#include "InterruptWatch.h"
#include "PathText.h"
#include "PortProbe.h"
#include "PortsCommand.h"
#include "ProgrammingWorker.h"
#include "PseudoTerminalPort.h"
#include "RecordedUpdate.h"
#include "Terminal.h"
#include "Usage.h"

namespace {

// In the order of the window's language selector.
constexpr std::array<std::string_view, 3> kLanguages{"english", "deutsch", "francais"};

struct UpdateArguments {
  std::string port;
  int languageIndex = 0;
  bool lumo = false;
  std::string record;  // empty: a new record in the records folder
};

std::optional<int> Parse(const std::vector<std::string>& args, UpdateArguments& parsed) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    std::string option = arg;
    std::optional<std::string> value;
    if (const auto equals = arg.find('='); arg.starts_with("--") && equals != std::string::npos) {
      option = arg.substr(0, equals);
      value = arg.substr(equals + 1);
    }
    if (option == "--help") {
      PrintHelp();
      return kExitOk;
    }
    if (arg == "--lumo") {
      parsed.lumo = true;
      continue;
    }
    if (option != "--port" && option != "--language" && option != "--record") {
      return UsageError(arg.starts_with("-") ? "unknown option '" + arg + "'"
                                             : "update takes no argument '" + arg + "'");
    }
    if (!value) {
      if (i + 1 == args.size()) return UsageError("option '" + option + "' requires an argument");
      value = args[++i];
    }
    if (option == "--port") {
      if (value->empty()) return UsageError("option '--port' requires a device");
      parsed.port = *value;
      continue;
    }
    if (option == "--record") {
      if (value->empty()) return UsageError("option '--record' requires a file name");
      parsed.record = *value;
      continue;
    }
    const auto language = std::find(kLanguages.begin(), kLanguages.end(), *value);
    if (language == kLanguages.end()) {
      return UsageError("unknown language '" + *value + "' (english, deutsch or francais)");
    }
    parsed.languageIndex = static_cast<int>(language - kLanguages.begin());
  }
  return std::nullopt;
}

// The first entry of the port list that opens; the command line never
// chooses among the ports it finds, it names them.
std::optional<int> ChoosePort(UpdateArguments& parsed) {
  if (!parsed.port.empty()) return std::nullopt;
  const char* list = std::getenv(kPortListVariable);
  if (list == nullptr || *list == '\0') {
    const PortProbeResult found = ProbePorts();
    std::string problem = std::string("no port given: use --port DEVICE or name ports in ") + kPortListVariable +
                          "; serial ports found: " + NamePorts(found.usablePorts);
    if (!found.deniedPorts.empty()) problem += "; ports this user may not open: " + NamePorts(found.deniedPorts);
    return UsageError(problem);
  }
  for (const std::string& candidate : CandidatePorts()) {
    SerialPort port;
    if (port.Open(candidate, kOvenBaudRate)) {
      parsed.port = candidate;
      return std::nullopt;
    }
  }
  return Failure(std::string("none of the ports in ") + kPortListVariable + " can be opened");
}

// The environment variable that shortens the dialogues' pauses for runs
// against the oven simulator, and only there: a real oven needs them.
constexpr const char* kPauseScaleVariable = "TESSARAMOND_PAUSE_SCALE";

// The share of each pause to sleep: 1 unless the variable says otherwise.
std::optional<double> PauseScale() {
  const char* text = std::getenv(kPauseScaleVariable);
  if (text == nullptr || *text == '\0') return 1.0;
  char* end = nullptr;
  const double scale = std::strtod(text, &end);
  if (*end != '\0' || !(scale >= 0.0 && scale <= 1.0)) return std::nullopt;
  return scale;
}

// The pause scale asked for, on a pseudo-terminal (the oven simulator's);
// on any other port the full pauses, saying so.
double PauseScaleFor(const std::string& port, double asked) {
  if (asked == 1.0 || IsPseudoTerminalPort(port)) return asked;
  std::fprintf(stderr, "%s: %s ignored: %s is no pseudo-terminal, so the oven's pauses are waited in full\n",
               kProgramName, kPauseScaleVariable, port.c_str());
  return 1.0;
}

int ExitCodeOf(RunOutcome outcome) {
  switch (outcome) {
    case RunOutcome::Succeeded:
      return kExitOk;
    case RunOutcome::Cancelled:
      return kExitCancelled;
    case RunOutcome::Failed:
      break;
  }
  return kExitFailure;
}

}  // namespace

int RunUpdateCommandLine(const std::vector<std::string>& args) {
  UpdateArguments parsed;
  if (const auto exit = Parse(args, parsed)) return *exit;
  const std::optional<double> pauseScale = PauseScale();
  if (!pauseScale) return UsageError(std::string(kPauseScaleVariable) + " must be a number from 0 to 1");
  if (const auto exit = ChoosePort(parsed)) return *exit;
  const double scale = PauseScaleFor(parsed.port, *pauseScale);

  ConsoleWindow console(parsed.port, parsed.languageIndex, parsed.lumo, IsTerminal(stderr));
  // Ctrl-C follows the window's close keys: it calls a run off while a module's
  // ready sign is awaited, is refused while the oven is being programmed, and
  // otherwise ends the program.
  WatchInterrupts([&console] {
    AnswerInterrupt(theCancelRequest, console, [&console](InterruptResponse response) {
      if (response == InterruptResponse::EndsProgram) console.EndProgressBar();
      console.Note(std::string(InterruptNote(response)));
      if (response == InterruptResponse::EndsProgram) {
        std::fflush(nullptr);
        std::_Exit(kExitCancelled);
      }
    });
  });

  RunOutcome outcome = RunOutcome::Failed;
  ScaledPauses pauses(scale);
  RunRecordSettings recordSettings{.program = "command line",
                                   .file = std::filesystem::path(parsed.record),
                                   .onProblem = [&console](const std::string& problem) {
                                     console.Note("the record cannot be written (" + problem +
                                                  "); the update goes on without it");
                                   }};
  std::thread worker;
  const std::shared_ptr<const RunRecord> record = StartRecordedUpdate(
      {console, [] { return std::make_unique<SerialPort>(); }, pauses, theCancelRequest}, std::move(recordSettings),
      [&outcome](RunOutcome ended) { outcome = ended; },
      [&worker](std::function<void()> body) {
        try {
          worker = std::thread(std::move(body));
          return true;
        } catch (const std::system_error&) {
          return false;
        }
      });
  if (worker.joinable()) worker.join();
  StopWatchingInterrupts();
  console.EndProgressBar();
  const std::filesystem::path recordPath = record->Path();
  if (!recordPath.empty()) {
    console.Note("record: " + PathText(recordPath) +
                 (record->Problem().empty() ? "" : " (cut short: " + record->Problem() + ")"));
  } else {
    console.Note("no record was kept");
  }
  return ExitCodeOf(outcome);
}
