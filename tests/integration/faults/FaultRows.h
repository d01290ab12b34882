#pragma once

#include <ostream>
#include <string>
#include <vector>

// Every way a run can fail that the oven simulator can play, with what the
// technician must then see. The fault matrix runs each row once; the soak
// runs them at random points.
struct FaultRow {
  const char* name;
  std::vector<std::string> ovenOptions;  // "K" stands for the block or telegram number
  // Which files the release holds.
  bool controlModuleFile = true;
  bool operatingModuleFile = true;
  enum class LanguageFile { Present, Missing, Unreadable } languageFile = LanguageFile::Present;
  // The last line printed; any one of them when the line's timing decides.
  std::vector<std::string> lastLines;
  // The simulator closes the line: its port is gone afterwards.
  bool hangsUp = false;
};

inline const std::vector<FaultRow>& FaultRows() {
  using File = FaultRow::LanguageFile;
  static const std::vector<FaultRow> rows{
      // The control module.
      {"NoIdentification", {"--no-identification"}, true, true, File::Present, {"ERROR: TimeOut"}},
      {"WrongIdentification", {"--identification", "sdzt1"}, true, true, File::Present, {"ERROR: bad verify-string"}},
      {"ShortIdentification", {"--identification", "DpcT"}, true, true, File::Present, {"ERROR: bad verify-string"}},
      {"NoStartSign", {"--no-start-sign"}, true, true, File::Present, {"ERROR: no start sign"}},
      {"WrongStartSign", {"--wrong-start-sign"}, true, true, File::Present, {"ERROR: wrong start sign"}},
      {"BlockRejected", {"--reject-block", "K"}, true, true, File::Present, {"ERROR: wrong data/checksum"}},
      {"BlockUnanswered", {"--silent-block", "K"}, true, true, File::Present, {"ERROR: no answer from device"}},
      {"BlockAnsweredOddly", {"--odd-answer-block", "K"}, true, true, File::Present,
       {"Don't touch anything while programming ;-)"}},
      {"HangUpInABlock", {"--hang-up-block", "K"}, true, true, File::Present,
       {"ERROR in data-transmission", "ERROR: no answer from device"}, true},
      // The operating module.
      {"NoOperatingModuleFile", {"--sm-only"}, true, false, File::Present, {""}},
      {"BmNoStartSign", {"--bm-no-start-sign"}, true, true, File::Present, {"ERROR: no start sign"}},
      {"BmWrongStartSign", {"--bm-wrong-start-sign"}, true, true, File::Present, {"ERROR: wrong start sign"}},
      {"BmBlockRejected", {"--bm-reject-block", "K"}, true, true, File::Present, {"ERROR: wrong data/checksum"}},
      {"BmBlockUnanswered", {"--bm-silent-block", "K"}, true, true, File::Present, {"ERROR: no answer from device"}},
      {"BmBlockAnsweredOddly", {"--bm-odd-answer-block", "K"}, true, true, File::Present, {"BM upload in progress..."}},
      {"BmHangUpInABlock", {"--bm-hang-up-block", "K"}, true, true, File::Present,
       {"ERROR in data-transmission", "ERROR: no answer from device"}, true},
      // The language data.
      {"LanguageFileMissing", {}, true, true, File::Missing,
       {"[error box] Error opening the language file Flash/flash_Std.bin: No such file or directory"}},
      {"LanguageFileUnreadable", {}, true, true, File::Unreadable, {"[error box] Fehler aufgetreten"}},
      {"TelegramUnanswered", {"--silent-telegram", "K"}, true, true, File::Present, {"ERROR: no answer from device"}},
      {"HangUpInATelegram", {"--hang-up-telegram", "K"}, true, true, File::Present,
       {"ERROR: no answer from device", "[error box] Error while sending"}, true},
      {"HangUpAtTheEndTelegram", {"--hang-up-end"}, true, true, File::Present, {"[error box] Error while sending"}, true},
  };
  return rows;
}

// Names the row in test listings.
inline void PrintTo(const FaultRow& row, std::ostream* out) { *out << row.name; }
