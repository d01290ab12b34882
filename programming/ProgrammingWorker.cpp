#include "ProgrammingWorker.h"

#include <system_error>
#include <thread>

#include "ControlId.h"
#include "ControlModuleProgramming.h"
#include "FirmwareImages.h"
#include "OperatingModuleProgramming.h"
#include "ProgrammingMessages.h"
#include "ServiceTelegram.h"

namespace {

namespace Message = ProgrammingMessage;

// The port is released before the controls come back, so that a run started
// at once finds it free.
RunOutcome FailureBeforeStart(WindowRequests& window, SerialPort& port, unsigned message) {
  port.Close();
  AppendMessageAndShow(window, message);
  window.EnableControl(ControlId::kCancel, true);
  return RunOutcome::Failed;
}

}  // namespace

bool StartDetachedThread(std::function<void()> body) {
  try {
    std::thread(std::move(body)).detach();
    return true;
  } catch (const std::system_error&) {
    return false;
  }
}

void StartProgrammingWorker(WindowRequests& window) {
  static ThreadPauses pauses;
  const ProgrammingContext run{window, [] { return std::make_unique<SerialPort>(); }, pauses,
                               theCancelRequest};
  StartProgrammingWorker(run, {});
}

void StartProgrammingWorker(const ProgrammingContext& run, std::function<void(RunOutcome)> onEnd,
                            const ThreadStarter& startThread) {
  // The thread gets its own copy of the context; the references in it are to
  // things that outlive every run.
  const bool started = startThread([run, onEnd] {
    const RunOutcome outcome = ProgrammingWorker(run);
    if (onEnd) onEnd(outcome);
  });
  if (!started) {
    // The Update button stays disabled: the program has to be started again.
    AppendMessageAndShow(run.window, Message::kThreadNotStarted);
    if (onEnd) onEnd(RunOutcome::Failed);
  }
}

RunOutcome ProgrammingWorker(const ProgrammingContext& run) {
  WindowRequests& window = run.window;
  const std::string portName = window.SelectedPortName();
  run.Events().PortChosen(portName);
  window.EnableControl(ControlId::kLanguageSelector, false);

  const std::unique_ptr<SerialPort> port = run.makePort();
  if (!port->Open(portName, kOvenBaudRate)) return FailureBeforeStart(window, *port, Message::kCantOpenPort);
  port->PurgeRx();
  port->PurgeTx();
  const auto updateRequest = BuildServiceTelegram(ServiceTelegram::kUpdateRequestCommand);
  if (!port->Write(updateRequest.data(), static_cast<int>(updateRequest.size()))) {
    return FailureBeforeStart(window, *port, Message::kCantWrite);
  }
  run.Events().UpdateRequestSent();
  port->Close();

  if (!smFileLoaded) {
    AppendMessageAndShow(window, Message::kNoSmFile);
    if (bmFileLoaded) AppendMessageAndShow(window, Message::kSwitchMainPowerOn);
    return ProgramBM(run);
  }
  return ProgramSM(run, *port, portName);
}
