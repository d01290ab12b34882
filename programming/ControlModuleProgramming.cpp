#include "ControlModuleProgramming.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "BootLoaderBlocks.h"
#include "ControlId.h"
#include "FirmwareImages.h"
#include "OperatingModuleProgramming.h"
#include "ProgrammingMessages.h"
#include "ReadySignWait.h"

namespace {

using namespace ControlModuleBootLoader;
namespace Message = ProgrammingMessage;

// Which controls a failure end gives back. Before the block transfer only a
// restart of the program helps, so the Update button stays disabled; after a
// failure during it, a new attempt may start at once, and finds the port
// free: it is released before the controls come back.
enum class UpdateButton { StaysDisabled, Enabled };

RunOutcome FailureEnd(WindowRequests& window, SerialPort& port, unsigned message, UpdateButton update) {
  port.Close();
  if (message != 0) AppendMessageAndShow(window, message);
  if (update == UpdateButton::Enabled) window.EnableControl(ControlId::kUpdateButton, true);
  window.EnableControl(ControlId::kCancel, true);
  return RunOutcome::Failed;
}

RunOutcome CanceledBeforeStart(WindowRequests& window, SerialPort& port) {
  port.Close();
  window.EnableControl(ControlId::kCancel, false);
  AppendMessageAndShow(window, Message::kCanceledBeforeStart);
  window.EnableControl(ControlId::kCancel, true);
  return RunOutcome::Cancelled;
}

// The number of blocks the identified module takes; 0 for an unknown module.
int BlockCountOf(const std::array<char, kIdentificationLength + 1>& received) {
  // The buffer was zeroed, so a short answer ends the text early and never
  // matches.
  const std::string_view text(received.data());
  if (text == kLargeModule) return kLargeModuleBlocks;
  if (text == kSmallModule) return kSmallModuleBlocks;
  return 0;
}

// The end of the block transfer's failures: only a block number that could
// not be written leaves the Update button disabled.
RunOutcome BlockFailure(WindowRequests& window, SerialPort& port, BlockTransferResult result) {
  const UpdateButton update =
      result == BlockTransferResult::NumberNotWritten ? UpdateButton::StaysDisabled : UpdateButton::Enabled;
  return FailureEnd(window, port, BlockFailureMessage(result), update);
}

}  // namespace

RunOutcome ProgramSM(const ProgrammingContext& run, SerialPort& port, const std::string& portName) {
  WindowRequests& window = run.window;
  if (!port.Open(portName, kOvenBaudRate)) {
    return FailureEnd(window, port, Message::kCantOpenPort, UpdateButton::StaysDisabled);
  }
  port.PurgeRx();
  port.PurgeTx();
  {
    CancelRequest::Wait wait(run.cancel);
    AppendMessageAndShow(window, Message::kSwitchMainPowerOn);
    window.SetProgressRange(0, kProgressMaximum);
    window.SetProgressPosition(0);
    const ReadySignWaitEnd end = WaitForReadySign(run, port, {kReadySign}, wait);
    if (end.how == ReadySignWaitEnd::How::Cancelled) return CanceledBeforeStart(window, port);
    // The port went away: as unusable as one that does not open.
    if (end.how == ReadySignWaitEnd::How::LineDown) {
      return FailureEnd(window, port, Message::kCantOpenPort, UpdateButton::StaysDisabled);
    }
    run.Events().ReadySign(RunModule::ControlModule, end.sign);
  }
  if (!port.Write(&kReadyAnswer, 1)) {
    return FailureEnd(window, port, Message::kCantWrite, UpdateButton::StaysDisabled);
  }

  std::array<char, kIdentificationLength + 1> identification{};
  const int received = port.ReadBytes(reinterpret_cast<std::uint8_t*>(identification.data()), kIdentificationLength);
  const int blockCount = BlockCountOf(identification);
  run.Events().Identified(std::string_view(identification.data(), static_cast<std::size_t>(std::max(received, 0))),
                          blockCount);
  if (received == 0) return FailureEnd(window, port, Message::kTimeOut, UpdateButton::StaysDisabled);
  if (blockCount == 0) return FailureEnd(window, port, Message::kBadVerifyString, UpdateButton::StaysDisabled);

  std::uint8_t startSign = 0;
  const bool startSignCame = port.ReadByte(startSign);
  run.Events().StartSign(RunModule::ControlModule, startSignCame ? std::optional(startSign) : std::nullopt);
  if (!startSignCame) {
    return FailureEnd(window, port, Message::kNoStartSign, UpdateButton::StaysDisabled);
  }
  if (startSign != kStartSign) {
    return FailureEnd(window, port, Message::kWrongStartSign, UpdateButton::StaysDisabled);
  }

  AppendAndShow(window, FixedLine::kStartCharacterFound);
  AppendMessageAndShow(window, Message::kSmUploadInProgress);
  // The close lock: from here on the module must not be left half programmed.
  window.EnableControl(ControlId::kCancel, false);
  AppendMessageAndShow(window, Message::kProgrammingStarted);
  AppendMessageAndShow(window, Message::kDontTouch);

  for (int n = 0; n < blockCount; ++n) {
    window.SetProgressPosition(n);
    std::uint8_t answer = 0;
    const BlockTransferResult result = SendImageBlock(port, smImage, static_cast<std::uint16_t>(n), {}, &answer);
    if (result != BlockTransferResult::Accepted && result != BlockTransferResult::SentBlank) {
      run.Events().BlockFailed(RunModule::ControlModule, n, result, answer);
      return BlockFailure(window, port, result);
    }
    run.pauses.Pause(std::chrono::milliseconds(0));
  }
  if (!SendEndMarkers(port)) {
    return FailureEnd(window, port, Message::kTransmissionError, UpdateButton::Enabled);
  }
  run.Events().ModuleProgrammed(RunModule::ControlModule);

  window.ClearLines();
  AppendMessageAndShow(window, Message::kSmSuccessful);
  window.SetProgressPosition(0);
  AppendAndShow(window, FixedLine::kResetPellandrix1);
  AppendAndShow(window, FixedLine::kResetPellandrix2);
  port.Close();
  return ProgramBM(run);
}
