#include "Oven.h"

#include "SerialLine.h"
#include "SimulatorLog.h"
#include "SimulatorOptions.h"
#include "UpdateRequestDetector.h"

Oven::Oven(SerialLine& line, SimulatorLog& log, const SimulatorOptions& options)
    : line_(line), log_(log), once_(options.once), controlModule_(line, log, options) {}

int Oven::Run() {
  using End = ControlModuleBootLoader::End;
  while (AwaitUpdateRequest()) {
    const End end = controlModule_.Run();
    if (end == End::Stopped || end == End::HungUp || once_) break;
  }
  return log_.ProtocolErrors() == 0 ? 0 : 1;
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
