#include "OperatingModuleProgramming.h"

#include "BootLoaderBlocks.h"
#include "BuiltInMessageTable.h"
#include "ControlId.h"
#include "FirmwareImages.h"
#include "LanguageUpload.h"
#include "ProgrammingMessages.h"
#include "ReadySignWait.h"

namespace {

using namespace OperatingModuleBootLoader;
namespace Message = ProgrammingMessage;

// Every failure end: the port closed, the line (if any), the close lock
// released. The Update button and the language selector stay disabled: a new
// run needs a new start of the program.
RunOutcome FailureEnd(WindowRequests& window, SerialPort& port, unsigned message) {
  port.Close();
  if (message != 0) {
    AppendMessageAndShow(window, message);
  } else {
    window.RepaintLines();
  }
  window.EnableControl(ControlId::kCancel, true);
  return RunOutcome::Failed;
}

RunOutcome WithoutOperatingModuleFile(const ProgrammingContext& run) {
  WindowRequests& window = run.window;
  AppendMessageAndShow(window, Message::kNoBmFile);
  AppendAndShow(window, FixedLine::kLanguageUploadWillProceed);
  run.pauses.Pause(smFileLoaded ? kNoFileShownAfterControlModule : kNoFileShown);
  window.ClearLines();
  window.EnableControl(ControlId::kCancel, true);
  // Nothing reached the operating module or the language data.
  return RunOutcome::Failed;
}

}  // namespace

RunOutcome ProgramBM(const ProgrammingContext& run) {
  if (!bmFileLoaded) return WithoutOperatingModuleFile(run);

  WindowRequests& window = run.window;
  std::string portName = window.SelectedPortName();
  if (portName.empty()) portName = kDefaultPortName;
  const std::unique_ptr<SerialPort> port = run.makePort();
  if (!port->Open(portName, kOvenBaudRate)) return FailureEnd(window, *port, Message::kCantOpenPort);
  port->PurgeRx();
  port->PurgeTx();
  window.SetProgressRange(0, kProgressMaximum);
  window.SetProgressPosition(0);

  {
    // The technician has just been asked to switch the oven on or reset it.
    CancelRequest::Wait wait(run.cancel);
    const ReadySignWaitEnd end = WaitForReadySign(run, *port, {kReadySign}, wait);
    if (end.how == ReadySignWaitEnd::How::Cancelled) {
      port->Close();
      AppendAndShow(window, BuiltInMessageText(Message::kCanceledBeforeStart));
      window.EnableControl(ControlId::kCancel, true);
      return RunOutcome::Cancelled;
    }
    // The port went away: as unusable as one that does not open.
    if (end.how == ReadySignWaitEnd::How::LineDown) return FailureEnd(window, *port, Message::kCantOpenPort);
    run.Events().ReadySign(RunModule::OperatingModule, end.sign);
  }
  window.ClearLines();
  AppendMessageAndShow(window, Message::kBmUploadInProgress);
  window.EnableControl(ControlId::kCancel, false);

  if (!port->Write(&kProgrammingCommand, 1)) return FailureEnd(window, *port, Message::kCantWrite);
  std::uint8_t startSign = 0;
  const bool startSignCame = port->ReadByte(startSign);
  run.Events().StartSign(RunModule::OperatingModule, startSignCame ? std::optional(startSign) : std::nullopt);
  if (!startSignCame) return FailureEnd(window, *port, Message::kNoStartSign);
  if (startSign != kStartSign) return FailureEnd(window, *port, Message::kWrongStartSign);

  for (int n = 0; n < kBlockCount; ++n) {
    window.SetProgressPosition(n);
    std::uint8_t answer = 0;
    const BlockTransferResult result = SendImageBlock(*port, bmImage, static_cast<std::uint16_t>(n),
                                                      [&window] { window.RepaintLines(); }, &answer);
    if (result != BlockTransferResult::Accepted && result != BlockTransferResult::SentBlank) {
      run.Events().BlockFailed(RunModule::OperatingModule, n, result, answer);
      return FailureEnd(window, *port, BlockFailureMessage(result));
    }
  }
  if (!SendEndMarkers(*port)) return FailureEnd(window, *port, Message::kTransmissionError);
  run.Events().ModuleProgrammed(RunModule::OperatingModule);

  // The upload releases the port at each of its ends.
  return UploadLanguageData(run, *port);
}
