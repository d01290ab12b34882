#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "ProgrammingContext.h"

// How the oven's panel takes its language data: numbered service telegrams of
// 66 file bytes each, every one answered.
namespace LanguageUpload {
inline constexpr std::uint8_t kReadySign = '+';
inline constexpr std::uint8_t kLumoReadySign = '9';
inline constexpr std::uint8_t kUploadCommand = '-';
inline constexpr std::uint8_t kDataCommand = 0xAD;
inline constexpr std::size_t kDataSize = 66;
inline constexpr std::size_t kTelegramSize = 76;
// Filler of a last, short telegram and of the end telegram.
inline constexpr std::uint8_t kFiller = 0xFF;
inline constexpr std::uint32_t kEndCounter = 0xFFFFFFFF;
// The answer's byte at this offset asks for the same telegram again.
inline constexpr std::size_t kAnswerSize = 7;
inline constexpr std::size_t kRepeatRequestOffset = 4;
inline constexpr std::uint8_t kRepeatRequest = 0x0D;
inline constexpr int kProgressMaximum = 2560;

inline constexpr std::string_view kFolder = "Flash/";
inline constexpr std::string_view kFileStem = "flash_Std";
inline constexpr std::string_view kLumoSuffix = "Beta";
inline constexpr std::string_view kFileExtension = ".bin";

// The panel prepares for the data after the command, takes its time over
// each answer, and initialises itself after the end telegram.
inline constexpr std::chrono::milliseconds kAfterCommand{8000};
inline constexpr std::chrono::milliseconds kAfterAnswer{8};
inline constexpr std::chrono::milliseconds kBeforeEndTelegram{200};
inline constexpr std::chrono::milliseconds kInitialisation{25000};
}  // namespace LanguageUpload

// The language file of the Kesto line or of the Lumo line, relative to the
// working directory: "Flash/flash_Std.bin", "Flash/flash_StdBeta.bin".
std::string LanguageFileName(bool lumo);

// Sends the language file of the oven's model line over `port`, which the
// operating module's dialogue opened, and ends the run: every end releases the
// port before it hands controls back.
RunOutcome UploadLanguageData(const ProgrammingContext& run, SerialPort& port);
