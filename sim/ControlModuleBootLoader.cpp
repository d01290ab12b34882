#include "ControlModuleBootLoader.h"

#include "ReadySign.h"
#include "SerialLine.h"
#include "SimulatorLog.h"

namespace {

constexpr std::uint8_t kReadySign = '>';
constexpr std::uint8_t kAnswerSign = '<';

unsigned BlockCount(const std::string& identification) {
  if (identification == "DpcT4") return 508;
  if (identification == "SDZT1") return 248;
  return 0;
}

}  // namespace

ControlModuleBootLoader::ControlModuleBootLoader(SerialLine& line, SimulatorLog& log, const SimulatorOptions& options)
    : line_(line),
      log_(log),
      faults_(options.controlModuleFaults),
      identification_(options.identification),
      blocks_(line, log, options.controlModuleFaults.blocks, "", options.saveFolder, "sm-image.bin") {}

ControlModuleBootLoader::End ControlModuleBootLoader::Run() {
  const auto send = [this] { SendReadySign(); };
  switch (AwaitReadySignAnswer(line_, log_, kAnswerSign, faults_.noReady ? nullptr : std::function<void()>(send))) {
    case ReadySignAnswer::Answered:
      break;
    case ReadySignAnswer::UpdateRequest:
      return End::NewRun;
    case ReadySignAnswer::Unanswered:
    case ReadySignAnswer::Stopped:
      return End::Stopped;
  }
  if (faults_.noIdentification) {
    log_.Note("fault: no identification");
    return End::Fault;
  }
  std::string reply = identification_;
  if (faults_.wrongStartSign) {
    reply += '?';
  } else if (!faults_.noStartSign) {
    reply += '!';
  }
  line_.Answer(reply);
  if (faults_.wrongStartSign || faults_.noStartSign) {
    log_.Note("fault: %s after the identification", faults_.wrongStartSign ? "'?'" : "no start sign");
    return End::Fault;
  }
  const unsigned count = BlockCount(identification_);
  if (count == 0) {
    log_.Note("fault: identification '%s' is none the PC knows", identification_.c_str());
    return End::Fault;
  }
  log_.Note("identification %s: %u blocks", identification_.c_str(), count);
  return blocks_.Receive(count);
}

void ControlModuleBootLoader::SendReadySign() {
  std::string bytes;
  if (faults_.noise) {
    for (int i = 0; i < 3; ++i) {
      const auto byte = static_cast<char>(noise_() >> 8);
      bytes += byte == static_cast<char>(kReadySign) ? '\0' : byte;
    }
  }
  bytes += static_cast<char>(kReadySign);
  line_.Send(bytes);
}
