#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "BootLoaderBlocks.h"

struct FirmwareCandidate;
struct FirmwareModule;

// The three parts of a run, in the order they come.
enum class RunModule { ControlModule, OperatingModule, LanguageData };

// What a programming run tells besides the window: what it chose, what the
// oven said and where the run stands. The run's record listens; nothing
// else does, and nothing here may change what goes on the line or into the
// message list. Every event does nothing unless overridden.
class RunEvents {
 public:
  virtual ~RunEvents();

  // The Update command's choice for one module: the file it took (nullptr:
  // none), whose image is now the module's; and each file it passed over for
  // a fault.
  virtual void FirmwareChosen(const FirmwareModule& /*module*/, const FirmwareCandidate* /*chosen*/) {}
  virtual void FirmwarePassedOver(const FirmwareModule& /*module*/, const FirmwareCandidate& /*candidate*/,
                                  const std::string& /*reason*/) {}

  // The worker has read the port it will use.
  virtual void PortChosen(const std::string& /*portName*/) {}
  virtual void UpdateRequestSent() {}
  // A boot loader's or the panel's ready sign has come: the module's part
  // of the run begins.
  virtual void ReadySign(RunModule /*module*/, std::uint8_t /*sign*/) {}
  // The control module's identification as received (possibly short or
  // unknown: then `blockCount` is 0).
  virtual void Identified(std::string_view /*received*/, int /*blockCount*/) {}
  // The byte after the identification or after the programming command;
  // nullopt when none came.
  virtual void StartSign(RunModule /*module*/, std::optional<std::uint8_t> /*sign*/) {}
  // A block that did not go through; `answer` is the module's answer byte
  // when the result says one came (Rejected, UnexpectedAnswer).
  virtual void BlockFailed(RunModule /*module*/, int /*block*/, BlockTransferResult /*result*/,
                           std::uint8_t /*answer*/) {}
  // The block transfer and the end marker went through.
  virtual void ModuleProgrammed(RunModule /*module*/) {}
  // Which line the panel's ready sign means.
  virtual void LanguageLineChosen(bool /*lumo*/) {}
  virtual void RepeatRequested(std::uint32_t /*telegram*/) {}
  virtual void TelegramUnanswered(std::uint32_t /*telegram*/) {}
  virtual void TelegramNotSent(std::uint32_t /*telegram*/) {}
  // The whole language file is out: its bytes, the telegrams they took and
  // the CRC-32 of the telegrams' data as sent (a short last one filled up).
  virtual void LanguageFileSent(const std::string& /*file*/, std::uint64_t /*bytes*/, std::uint32_t /*telegrams*/,
                                std::uint32_t /*crc*/) {}
};

// Events nobody listens to: the run of a context that names none.
RunEvents& NoRunEvents();
