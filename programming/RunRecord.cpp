#include "RunRecord.h"

#include <cstdio>
#include <system_error>

#include "Crc32.h"
#include "FirmwareFileSelection.h"
#include "LocalTime.h"
#include "OperatingSystemName.h"
#include "PathText.h"
#include "PortProbe.h"
#include "ProgrammingMessages.h"
#include "RunRecordFolder.h"

namespace {

namespace fs = std::filesystem;

// Pauses from this length on get a line each; the many short ones between
// telegrams are counted.
constexpr std::chrono::milliseconds kPauseWorthALine{100};
// Runs that began in the same second on the same port.
constexpr int kMostCopies = 100;

const char* ModuleName(RunModule module) {
  switch (module) {
    case RunModule::ControlModule:
      return "SM";
    case RunModule::OperatingModule:
      return "BM";
    case RunModule::LanguageData:
      break;
  }
  return "language data";
}

std::size_t IndexOf(RunModule module) { return static_cast<std::size_t>(module); }

// A byte from the oven: as a character where it is one, always in hex.
std::string ByteText(std::uint8_t byte) {
  char text[16];
  if (byte >= 0x20 && byte < 0x7F) {
    std::snprintf(text, sizeof text, "'%c' (0x%02X)", byte, byte);
  } else {
    std::snprintf(text, sizeof text, "0x%02X", byte);
  }
  return text;
}

// Bytes from the oven as text, those that are no printable character as \xNN.
std::string ReceivedText(std::string_view received) {
  std::string text;
  for (const char c : received) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
      text += c;
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      text += escaped;
    }
  }
  return text;
}

std::string SecondsText(std::chrono::steady_clock::duration duration) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f s", std::chrono::duration<double>(duration).count());
  return text;
}

std::string BlockFailureText(BlockTransferResult result, std::uint8_t answer) {
  switch (result) {
    case BlockTransferResult::NumberNotWritten:
      return "its number could not be written";
    case BlockTransferResult::DataNotWritten:
      return "its data or sum could not be written";
    case BlockTransferResult::NoAnswer:
      return "no answer";
    case BlockTransferResult::Rejected:
      return "rejected, " + ByteText(answer);
    case BlockTransferResult::UnexpectedAnswer:
    case BlockTransferResult::Accepted:
    case BlockTransferResult::SentBlank:
      break;
  }
  return "answered " + ByteText(answer) + ", neither '!' nor '@'";
}

// Lines that tell the technician what goes on, never why a run ended.
bool IsProgressLine(const std::string& text) {
  for (const std::string_view line : {FixedLine::kStartCharacterFound, FixedLine::kResetPellandrix1,
                                      FixedLine::kResetPellandrix2, FixedLine::kLanguageUploadWillProceed,
                                      FixedLine::kBmInitialisation}) {
    if (text == line) return true;
  }
  return false;
}

// What the system says of the port, where it says anything. On Windows
// finding the ports opens each of them, which must not happen here.
std::string PortDescription(const std::string& portName) {
#ifdef _WIN32
  static_cast<void>(portName);
  return {};
#else
  const PortProbeResult ports = ProbePorts();
  for (const auto* list : {&ports.usablePorts, &ports.deniedPorts}) {
    for (const FoundPort& port : *list) {
      if (port.path == portName) return port.description;
    }
  }
  return {};
#endif
}

std::string FileFacts(const fs::path& path) {
  std::error_code error;
  const auto size = fs::file_size(path, error);
  std::string facts = error ? std::string("size unknown") : std::to_string(size) + " bytes";
  const auto modified = fs::last_write_time(path, error);
  if (!error) {
    facts += ", modified " + LocalTimeText(std::chrono::time_point_cast<std::chrono::system_clock::duration>(
                                 std::chrono::file_clock::to_sys(modified)));
  }
  return facts;
}

}  // namespace

RunRecord::RunRecord(RunRecordSettings settings) : settings_(std::move(settings)) {
  const std::lock_guard lock(mutex_);
  Write(std::string(RunRecordKey::kStart) + ": " + LocalTimeText(start_));
  Write("program: Tessaramond " TESSARAMOND_VERSION " (" + settings_.program + ")");
  Write("system: " + OperatingSystemName());
}

void RunRecord::LineShown(const std::string& text) {
  if (IsProgressLine(text)) {
    Add("line: " + text);
  } else {
    AddReason("line: " + text);
  }
}

void RunRecord::ListCleared() { Add("list cleared"); }

void RunRecord::BoxShown(const std::string& text, MessageBoxIcon icon) {
  AddReason((icon == MessageBoxIcon::Error ? "error box: " : "box: ") + text);
}

void RunRecord::PauseBegins(std::chrono::milliseconds duration) {
  if (duration.count() <= 0) return;  // only a yield of the thread's time
  if (duration >= kPauseWorthALine) {
    Add("pause: " + std::to_string(duration.count()) + " ms");
    return;
  }
  const std::lock_guard lock(mutex_);
  ++shortPauses_[duration.count()];
}

void RunRecord::End(RunOutcome outcome) {
  const std::lock_guard lock(mutex_);
  if (ended_) return;
  for (const RunModule module : {RunModule::ControlModule, RunModule::OperatingModule, RunModule::LanguageData}) {
    const std::string took = TakeModuleTime(module);
    if (!took.empty()) Write(std::string(ModuleName(module)) + " ended" + took);
  }
  for (const auto& [length, count] : shortPauses_) {
    Write("short pauses: " + std::to_string(count) + " of " + std::to_string(length) + " ms");
  }
  std::string end = std::string(RunRecordKey::kEnd) + ": ";
  switch (outcome) {
    case RunOutcome::Succeeded:
      end += "succeeded";
      break;
    case RunOutcome::Failed:
      end += "failed";
      break;
    case RunOutcome::Cancelled:
      end += "cancelled";
      break;
  }
  if (outcome != RunOutcome::Succeeded && !reason_.empty()) end += ": " + reason_;
  Write(end);
  if (!opened_) OpenFile({});
  ended_ = true;
  std::string problem;
  if (!file_.Close(problem) && !failed_) Fail(GenericPathText(path_) + ": " + problem);
}

fs::path RunRecord::Path() const {
  const std::lock_guard lock(mutex_);
  return path_;
}

std::string RunRecord::Problem() const {
  const std::lock_guard lock(mutex_);
  return problem_;
}

void RunRecord::FirmwareChosen(const FirmwareModule& module, const FirmwareCandidate* chosen) {
  std::string event = std::string(module.shortName) + " file: ";
  if (chosen == nullptr) {
    event += "none";
  } else {
    event += GenericPathText(chosen->path) + ", " + FileFacts(chosen->path) + ", " + RunRecordKey::kImageCrc +
             Crc32Text(Crc32(module.image.Bytes()));
  }
  Add(event);
}

void RunRecord::FirmwarePassedOver(const FirmwareModule& module, const FirmwareCandidate& candidate,
                                   const std::string& reason) {
  Add(std::string(module.shortName) + " pass: passed over " + GenericPathText(candidate.path) + ": " + reason);
}

void RunRecord::PortChosen(const std::string& portName) {
  const std::string description = PortDescription(portName);
  const std::lock_guard lock(mutex_);
  const std::string shown = portName.empty() ? "none selected" : portName;
  Write(std::string(RunRecordKey::kPort) + ": " + shown + (description.empty() ? "" : " (" + description + ")"));
  if (!opened_) OpenFile(portName);
}

void RunRecord::UpdateRequestSent() { Add("sent: update request"); }

void RunRecord::ReadySign(RunModule module, std::uint8_t sign) {
  const std::lock_guard lock(mutex_);
  moduleBegan_[IndexOf(module)] = Clock::now();
  Write(std::string(module == RunModule::LanguageData ? "panel" : ModuleName(module)) + " ready sign: " +
        ByteText(sign));
}

void RunRecord::Identified(std::string_view received, int blockCount) {
  std::string event = "SM identification: ";
  if (received.empty()) {
    event += "none";
  } else {
    event += ReceivedText(received) + (blockCount > 0 ? ", " + std::to_string(blockCount) + " blocks" : ", unknown");
  }
  Add(event);
}

void RunRecord::StartSign(RunModule module, std::optional<std::uint8_t> sign) {
  Add(std::string(ModuleName(module)) + " start sign: " + (sign ? ByteText(*sign) : std::string("none")));
}

void RunRecord::BlockFailed(RunModule module, int block, BlockTransferResult result, std::uint8_t answer) {
  AddReason(std::string(ModuleName(module)) + " block " + std::to_string(block) + ": " +
            BlockFailureText(result, answer));
}

void RunRecord::ModuleProgrammed(RunModule module) {
  const std::lock_guard lock(mutex_);
  Write(std::string(ModuleName(module)) + " programmed" + TakeModuleTime(module));
}

void RunRecord::LanguageLineChosen(bool lumo) { Add(std::string("language line: ") + (lumo ? "Lumo" : "Kesto")); }

void RunRecord::RepeatRequested(std::uint32_t telegram) {
  Add("language telegram " + std::to_string(telegram) + ": repeat requested");
}

void RunRecord::TelegramUnanswered(std::uint32_t telegram) {
  AddReason("language telegram " + std::to_string(telegram) + ": no answer");
}

void RunRecord::TelegramNotSent(std::uint32_t telegram) {
  AddReason("language telegram " + std::to_string(telegram) + ": could not be sent");
}

void RunRecord::LanguageFileSent(const std::string& file, std::uint64_t bytes, std::uint32_t telegrams,
                                 std::uint32_t crc) {
  Add("language file sent: " + file + ", " + std::to_string(bytes) + " bytes in " + std::to_string(telegrams) +
      " telegrams, CRC-32 " + Crc32Text(crc));
}

void RunRecord::Add(const std::string& event) {
  const std::lock_guard lock(mutex_);
  Write(event);
}

void RunRecord::AddReason(const std::string& event) {
  const std::lock_guard lock(mutex_);
  Write(event);
  // "line: ERROR: ..." ends a run as "ERROR: ...".
  const auto colon = event.find(": ");
  reason_ = event.starts_with("line: ") ? event.substr(colon + 2) : event;
}

void RunRecord::Write(const std::string& event) {
  if (failed_ || ended_) return;
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - begin_).count();
  char time[24];
  std::snprintf(time, sizeof time, "%7lld ", static_cast<long long>(elapsed));
  std::string line = time;
  // One event a line, whatever a text holds.
  for (const char c : event) {
    if (c == '\n') {
      line += "\\n";
    } else if (c == '\r') {
      line += "\\r";
    } else {
      line += c;
    }
  }
  line += '\n';
  if (!opened_) {
    pending_ += line;
    return;
  }
  std::string problem;
  if (!file_.Write(line, problem)) Fail(GenericPathText(path_) + ": " + problem);
}

void RunRecord::OpenFile(const std::string& portName) {
  opened_ = true;
  std::string problem;
  if (!settings_.file.empty()) {
    if (file_.Open(settings_.file, RecordFile::Creation::Replace, problem) != RecordFile::OpenResult::Opened) {
      return Fail(GenericPathText(settings_.file) + ": " + problem);
    }
    path_ = settings_.file;
  } else {
    const fs::path folder = RunRecordFolder(problem);
    if (folder.empty()) return Fail(problem);
    std::error_code error;
    fs::create_directories(folder, error);
    if (error) return Fail(GenericPathText(folder) + ": " + error.message());
    for (int copy = 1; path_.empty(); ++copy) {
      if (copy > kMostCopies) return Fail(GenericPathText(folder) + ": too many records of the same second and port");
      const fs::path candidate = folder / RunRecordFileName(start_, portName, copy);
      switch (file_.Open(candidate, RecordFile::Creation::New, problem)) {
        case RecordFile::OpenResult::Opened:
          path_ = candidate;
          break;
        case RecordFile::OpenResult::Exists:
          break;
        case RecordFile::OpenResult::Failed:
          return Fail(GenericPathText(candidate) + ": " + problem);
      }
    }
    RemoveOldestRunRecords(folder);
  }
  const std::string pending = std::move(pending_);
  pending_.clear();
  if (!file_.Write(pending, problem)) Fail(GenericPathText(path_) + ": " + problem);
}

void RunRecord::Fail(const std::string& problem) {
  if (failed_) return;
  failed_ = true;
  problem_ = problem;
  pending_.clear();
  std::string ignored;
  file_.Close(ignored);
  if (settings_.onProblem) settings_.onProblem(problem_);
}

std::string RunRecord::TakeModuleTime(RunModule module) {
  auto& began = moduleBegan_[IndexOf(module)];
  if (!began) return {};
  const std::string took = " in " + SecondsText(Clock::now() - *began);
  began.reset();
  return took;
}
