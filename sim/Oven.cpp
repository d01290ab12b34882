#include "Oven.h"

#include "SerialLine.h"
#include "SimulatorLog.h"
#include "SimulatorOptions.h"
#include "UpdateRequestDetector.h"

Oven::Oven(SerialLine& line, SimulatorLog& log, const SimulatorOptions& options)
    : line_(line),
      log_(log),
      once_(options.once),
      controlModule_(!options.noControlModule),
      smOnly_(options.smOnly),
      controlModuleBootLoader_(line, log, options),
      operatingModuleBootLoader_(line, log, options),
      languageReceiver_(line, log, options) {}

int Oven::Run() {
  bool requested = AwaitUpdateRequest();
  while (requested) {
    const DialogueEnd end = PlayRun();
    if (end == DialogueEnd::Stopped || end == DialogueEnd::HungUp) break;
    if (end == DialogueEnd::NewRun) {
      // The PC started over while the oven waited for it; its run before
      // never came to an end, so even --once plays the new one.
      log_.Note("update request");
      continue;
    }
    if (once_) break;
    requested = AwaitUpdateRequest();
  }
  return log_.ProtocolErrors() == 0 ? 0 : 1;
}

DialogueEnd Oven::PlayRun() {
  if (controlModule_) {
    const DialogueEnd end = controlModuleBootLoader_.Run();
    if (end != DialogueEnd::Completed || smOnly_) return end;
  }
  const DialogueEnd end = operatingModuleBootLoader_.Run();
  if (end != DialogueEnd::Completed) return end;
  return languageReceiver_.Run();
}

bool Oven::AwaitUpdateRequest() {
  UpdateRequestDetector updateRequest;
  for (;;) {
    const auto received = line_.Received();
    for (std::size_t used = 0; used < received.size();) {
      if (updateRequest.Feed(received[used++])) {
        line_.Consume(used);
        log_.Note("update request");
        return true;
      }
    }
    line_.Consume(received.size());
    if (line_.AwaitBytes(SimulatorClock::time_point::max()) == SerialLine::Wait::Stopped) return false;
  }
}
