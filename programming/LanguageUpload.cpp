#include "LanguageUpload.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "BuiltInMessageTable.h"
#include "ControlId.h"
#include "Crc32.h"
#include "ProgrammingMessages.h"
#include "ReadySignWait.h"
#include "ServiceTelegram.h"

namespace {

using namespace LanguageUpload;
namespace Message = ProgrammingMessage;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using LanguageFile = std::unique_ptr<std::FILE, FileCloser>;

std::vector<std::uint8_t> DataTelegram(std::uint32_t counter, const std::array<std::uint8_t, kDataSize>& data) {
  std::array<std::uint8_t, 4 + kDataSize> field{};
  for (int i = 0; i < 4; ++i) field[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(counter >> (8 * i));
  std::copy(data.begin(), data.end(), field.begin() + 4);
  return BuildServiceTelegram(kDataCommand, field);
}

bool Send(SerialPort& port, const std::vector<std::uint8_t>& bytes) {
  return port.Write(bytes.data(), static_cast<int>(bytes.size()));
}

// The controls a failure after the upload command gives back: the technician
// may start a new run at once, and it finds the port released.
void EnableNewRun(WindowRequests& window, SerialPort& port) {
  port.Close();
  window.EnableControl(ControlId::kUpdateButton, true);
  window.EnableControl(ControlId::kLanguageSelector, true);
  window.EnableControl(ControlId::kCancel, true);
}

// An end before the upload began: the port released, a line, and only the
// close lock lifted.
RunOutcome EndBeforeUpload(WindowRequests& window, SerialPort& port, std::string_view line, RunOutcome outcome) {
  port.Close();
  AppendAndShow(window, line);
  window.EnableControl(ControlId::kCancel, true);
  return outcome;
}

RunOutcome FailureWithBox(WindowRequests& window, SerialPort& port, LanguageFile& file, const std::string& text) {
  file.reset();
  EnableNewRun(window, port);
  window.ShowMessageBox(text, MessageBoxIcon::Error);
  return RunOutcome::Failed;
}

}  // namespace

std::string LanguageFileName(bool lumo) {
  return std::string(kFolder) + std::string(kFileStem) + (lumo ? std::string(kLumoSuffix) : "") +
         std::string(kFileExtension);
}

RunOutcome UploadLanguageData(const ProgrammingContext& run, SerialPort& port) {
  WindowRequests& window = run.window;
  port.PurgeRx();
  port.PurgeTx();

  ReadySignWaitEnd end;
  {
    CancelRequest::Wait wait(run.cancel);
    end = WaitForReadySign(run, port, {kReadySign, kLumoReadySign}, wait);
  }
  if (end.how == ReadySignWaitEnd::How::Cancelled) {
    return EndBeforeUpload(window, port, BuiltInMessageText(Message::kCanceledBeforeStart), RunOutcome::Cancelled);
  }
  if (end.how == ReadySignWaitEnd::How::LineDown) {
    // The port went away: as unusable as one that does not open.
    return EndBeforeUpload(window, port, window.LoadLocalizedText(Message::kCantOpenPort), RunOutcome::Failed);
  }

  run.Events().ReadySign(RunModule::LanguageData, end.sign);
  window.ClearLines();
  // A Lumo oven says so itself; otherwise the model buttons tell.
  const bool lumo = end.sign == kLumoReadySign || window.IsLumoChecked();
  run.Events().LanguageLineChosen(lumo);
  AppendMessageAndShow(window, lumo ? Message::kLumoFlashUpdate : Message::kKestoFlashUpdate);
  if (end.sign == kLumoReadySign) window.EnableControl(ControlId::kModelLumo, true);
  AppendMessageAndShow(window, Message::kFlashUploadInProgress);
  window.EnableControl(ControlId::kCancel, false);
  window.SetProgressRange(0, kProgressMaximum);
  window.SetProgressPosition(0);

  if (!port.Write(&kUploadCommand, 1)) {
    return EndBeforeUpload(window, port, window.LoadLocalizedText(Message::kCantWrite), RunOutcome::Failed);
  }
  run.pauses.Pause(kAfterCommand);

  const std::string fileName = LanguageFileName(lumo);
  LanguageFile file(std::fopen(fileName.c_str(), "rb"));
  if (!file) {
    const std::string reason = std::strerror(errno);
    return FailureWithBox(window, port, file,
                          window.LoadLocalizedText(Message::kLanguageFileNotOpened) + fileName + ": " + reason);
  }

  const std::string sendError = window.LoadLocalizedText(Message::kSendError);
  // What went out, for the record: the bytes, the telegrams, and the CRC-32
  // of their data as sent.
  std::uint64_t bytesSent = 0;
  std::uint32_t telegramsSent = 0;
  std::uint32_t crc = 0;
  for (std::uint32_t counter = 0;; ++counter) {
    std::array<std::uint8_t, kDataSize> data;
    data.fill(kFiller);
    const std::size_t got = std::fread(data.data(), 1, kDataSize, file.get());
    if (std::ferror(file.get())) return FailureWithBox(window, port, file, std::string(FixedLine::kErrorOccurred));
    // A last, short telegram goes out filled up, so that no byte is lost.
    if (got == 0) break;

    std::array<std::uint8_t, kAnswerSize> answer{};
    window.SetProgressPosition(static_cast<int>(std::min<std::uint32_t>(counter, INT_MAX)));
    const std::vector<std::uint8_t> telegram = DataTelegram(counter, data);
    for (;;) {
      if (!Send(port, telegram)) {
        run.Events().TelegramNotSent(counter);
        return FailureWithBox(window, port, file, sendError);
      }
      if (port.ReadBytes(answer.data(), static_cast<int>(answer.size())) == 0) {
        run.Events().TelegramUnanswered(counter);
        file.reset();
        AppendMessageAndShow(window, Message::kNoAnswer);
        EnableNewRun(window, port);
        return RunOutcome::Failed;
      }
      run.pauses.Pause(kAfterAnswer);
      // The answer area is cleared once per telegram: a short answer after a
      // repeat request is read as another one.
      if (answer[kRepeatRequestOffset] != kRepeatRequest) break;
      run.Events().RepeatRequested(counter);
    }
    bytesSent += got;
    telegramsSent = counter + 1;
    crc = Crc32(data, crc);
    if (got < kDataSize) break;
  }

  run.pauses.Pause(kBeforeEndTelegram);
  std::array<std::uint8_t, kDataSize> endData;
  endData.fill(kFiller);
  if (!Send(port, DataTelegram(kEndCounter, endData))) return FailureWithBox(window, port, file, sendError);
  run.Events().LanguageFileSent(fileName, bytesSent, telegramsSent, crc);
  window.SetProgressPosition(kProgressMaximum);
  file.reset();
  AppendAndShow(window, FixedLine::kBmInitialisation);

  run.pauses.Pause(kInitialisation);
  if (!Send(port, BuildServiceTelegram(ServiceTelegram::kUpdateRequestCommand))) {
    return FailureWithBox(window, port, file, sendError);
  }

  AppendMessageAndShow(window, Message::kUploadSucceeded);
  window.ShowMessageBox(std::string(FixedLine::kUpdateOk), MessageBoxIcon::Information);
  EnableNewRun(window, port);
  window.EnableControl(ControlId::kModelKesto, true);
  window.EnableControl(ControlId::kModelLumo, true);
  return RunOutcome::Succeeded;
}
