#include "OperatingModuleBootLoader.h"

#include <chrono>

#include "ReadySign.h"
#include "SerialLine.h"
#include "SimulatorLog.h"

namespace {

constexpr std::uint8_t kReadySign = '#';
constexpr std::uint8_t kProgrammingCommand = '*';
constexpr unsigned kBlocks = 512;
// A PC without a BM file never answers '#' and gives no other sign of it;
// one that has one answers at once. Only --once needs to tell them apart.
constexpr auto kUnansweredLimit = std::chrono::seconds(10);

}  // namespace

OperatingModuleBootLoader::OperatingModuleBootLoader(SerialLine& line, SimulatorLog& log,
                                                     const SimulatorOptions& options)
    : line_(line),
      log_(log),
      faults_(options.operatingModuleFaults),
      once_(options.once),
      blocks_(line, log, options.operatingModuleFaults.blocks, "BM: ", options.saveFolder, "bm-image.bin") {}

DialogueEnd OperatingModuleBootLoader::Run() {
  std::function<void()> send;
  auto giveUpAt = SimulatorClock::time_point::max();
  if (!faults_.noReady) {
    send = [this] { line_.Send("#"); };
    if (once_) giveUpAt = SimulatorClock::now() + kUnansweredLimit;
  }
  switch (AwaitReadySignAnswer(line_, log_, kProgrammingCommand, send, giveUpAt)) {
    case ReadySignAnswer::Answered:
      break;
    case ReadySignAnswer::UpdateRequest:
      return DialogueEnd::NewRun;
    case ReadySignAnswer::Unanswered:
      log_.Note("BM: '#' unanswered for %lld s: the PC's run ended before the BM",
                static_cast<long long>(kUnansweredLimit.count()));
      return DialogueEnd::Abandoned;
    case ReadySignAnswer::Stopped:
      return DialogueEnd::Stopped;
  }
  log_.Note("BM: programming command");
  if (faults_.noStartSign) {
    log_.Note("BM: fault: no start sign");
    return DialogueEnd::Fault;
  }
  if (faults_.wrongStartSign) {
    log_.Note("BM: fault: '?' instead of the start sign");
    line_.Answer("?");
    return DialogueEnd::Fault;
  }
  line_.Answer("!");
  return blocks_.Receive(kBlocks);
}
