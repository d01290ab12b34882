#pragma once

#include <array>
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "ProgrammingContext.h"
#include "RecordFile.h"
#include "RunEvents.h"
#include "WindowRequests.h"

// The words that begin a record's lines, for whoever reads records back.
namespace RunRecordKey {
inline constexpr const char* kStart = "start";
inline constexpr const char* kPort = "port";
inline constexpr const char* kControlModuleFile = "SM file";
inline constexpr const char* kOperatingModuleFile = "BM file";
inline constexpr const char* kEnd = "end";
// Where a module file's line names its image's CRC-32.
inline constexpr const char* kImageCrc = "image CRC-32 ";
}  // namespace RunRecordKey

struct RunRecordSettings {
  // Who runs the update: "window", "command line".
  std::string program;
  // Empty: a new file in RunRecordFolder(). Else this file, made anew.
  std::filesystem::path file{};
  // Told once, the first time the record cannot be written; on the thread
  // that found out.
  std::function<void(const std::string& problem)> onProblem{};
};

// The record of one programming run, from the Update command's choice of
// files to the run's end: plain UTF-8 text, one event a line, each line
// beginning with the milliseconds since the run began. It is for the
// service office: which firmware went to which oven, what the oven answered,
// what the technician saw and where the run stopped.
//
// Lines are kept in memory until the worker names its port (the file is
// named after it), then each goes to the disk as it happens. A record that
// cannot be written only says so once (onProblem) and writes no more: the
// run goes on exactly as without it. Safe to call from any thread.
class RunRecord : public RunEvents {
 public:
  // The run begins now.
  explicit RunRecord(RunRecordSettings settings);

  // What the technician was shown and the pauses, as they begin.
  void LineShown(const std::string& text);
  void ListCleared();
  void BoxShown(const std::string& text, MessageBoxIcon icon);
  void PauseBegins(std::chrono::milliseconds duration);

  // The end, with the message that ended a run that did not succeed; the
  // record is complete and closed.
  void End(RunOutcome outcome);

  // Where the record is; empty until its file is made, or when it cannot be.
  std::filesystem::path Path() const;
  // Why the record could not be written; empty while it could.
  std::string Problem() const;

  // RunEvents
  void FirmwareChosen(const FirmwareModule& module, const FirmwareCandidate* chosen) override;
  void FirmwarePassedOver(const FirmwareModule& module, const FirmwareCandidate& candidate,
                          const std::string& reason) override;
  void PortChosen(const std::string& portName) override;
  void UpdateRequestSent() override;
  void ReadySign(RunModule module, std::uint8_t sign) override;
  void Identified(std::string_view received, int blockCount) override;
  void StartSign(RunModule module, std::optional<std::uint8_t> sign) override;
  void BlockFailed(RunModule module, int block, BlockTransferResult result, std::uint8_t answer) override;
  void ModuleProgrammed(RunModule module) override;
  void LanguageLineChosen(bool lumo) override;
  void RepeatRequested(std::uint32_t telegram) override;
  void TelegramUnanswered(std::uint32_t telegram) override;
  void TelegramNotSent(std::uint32_t telegram) override;
  void LanguageFileSent(const std::string& file, std::uint64_t bytes, std::uint32_t telegrams,
                        std::uint32_t crc) override;

 private:
  using Clock = std::chrono::steady_clock;

  // Each takes the lock itself.
  void Add(const std::string& event);
  void AddReason(const std::string& event);

  // With the lock held.
  void Write(const std::string& event);
  void OpenFile(const std::string& portName);
  void Fail(const std::string& problem);
  // " in 23.4 s": how long the module's part took since its ready sign; its
  // part is over. Empty when it had not begun.
  std::string TakeModuleTime(RunModule module);

  const RunRecordSettings settings_;
  const Clock::time_point begin_ = Clock::now();
  const std::chrono::system_clock::time_point start_ = std::chrono::system_clock::now();

  mutable std::mutex mutex_;
  RecordFile file_;
  bool opened_ = false;
  bool failed_ = false;
  bool ended_ = false;
  std::string pending_;  // lines before the file is made
  std::filesystem::path path_;
  std::string problem_;
  // The latest failure shown or heard of: what ended a run that failed.
  std::string reason_;
  // When each module's part began (its ready sign), until it ends.
  std::array<std::optional<Clock::time_point>, 3> moduleBegan_{};
  // Pauses too short for a line each, by length: how many.
  std::map<long long, int> shortPauses_;
};
