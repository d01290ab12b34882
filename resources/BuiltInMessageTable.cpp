#include "BuiltInMessageTable.h"

#include <algorithm>
#include <iterator>

namespace {

struct BuiltInMessage {
  unsigned number;
  const char* text;  // UTF-8
};

// The program's own texts, in ascending order of number. They stand in whenever
// a language catalogue cannot be loaded, and some callers read them directly so
// that a line reads the same in every language. Mostly English; a few rows are
// German; they are kept word for word.
constexpr BuiltInMessage kBuiltInMessages[] = {
    {101, "&About Tessaramond..."},
    {110, "Fehler beim Öffnen der Zeichensatz-Konfigurationsdatei"},
    {111, "Fehler beim Öffnen der Kochbuch-Konfigurationsdatei"},
    {112, "Fehler beim Öffnen der Sprachen-Konfigurationsdatei"},
    {116, "Fehler beim Öffnen der Sprachen-Datei "},
    {117, "enthält eine falsche Anzahl an Text-Einträgen"},
    {118, "Fehlende(s) Zeilenende-Zeichen oder leere Zeile in "},
    {119, "Anfangszeichen für Oktalcode gefunden jedoch nicht genügend Ziffern in "},
    {120, "Fehler beim Öffnen der Zeichensatz-Datei "},
    {121, "Fehler beim Öffnen der Kochbuch-Datei "},
    {122, "ready"},
    {123, "End-Telegram"},
    {125, "Fehler beim Öffnen der COM-Schnittstelle"},
    {126, "Fehler beim Senden"},
    {127, "Fehler beim Lesen der Antwort vom Steuermodul"},
    {128, "no SM file loaded"},
    {129, "Can't open COM-Port !!!"},
    {130, "Switch main-power on..."},
    {131, "ERROR: can't write to COM"},
    {132, "ERROR: TimeOut"},
    {133, "ERROR: bad verify-string"},
    {134, "ERROR: no start sign"},
    {135, "ERROR: wrong start sign"},
    {136, "Programming started..."},
    {137, "Don't touch anything while programming ;-)"},
    {138, "ERROR in data-transmission"},
    {139, "ERROR: no answer from device"},
    {140, "ERROR: wrong data/checksum"},
    {141, "Update SM successful"},
    {142, "no BM file loaded"},
    {143, "Update SM and BM successful"},
    {144, "ERROR: Couldn't start new thread!"},
    {145, "Programming canceled before start"},
    {146, "Please reset the Pellandrix by press the On/Off button for 4 seconds"},
    {147, "Invalid character in hex-File!"},
    {148, "Invalid line start character in hex-File!"},
    {149, "Checksum error!"},
    {150, "No identification in hex-File!"},
    {151, "Reading data....."},
    {152, "Press the button \"Update SM\""},
    {153, "1. Switch off the main power from unit"},
    {154, "2. Connect the PC via RS232 to the SM"},
    {155, "3. Disconnect the X12 from SM"},
    {156, "Language"},
    {157, "BM upload in progress..."},
    {158, "SM upload in progress..."},
    {159, "BM file found"},
    {160, "SM file found"},
    {161, "Flash upload in progress..."},
    {162, "Upload process succeeded :-)"},
    {163, "Lumo Flash Update "},
    {164, "Kesto FlashUpdate"},
};

}  // namespace

std::string_view BuiltInMessageText(unsigned number) {
  const auto found = std::lower_bound(
      std::begin(kBuiltInMessages), std::end(kBuiltInMessages), number,
      [](const BuiltInMessage& message, unsigned n) { return message.number < n; });
  if (found == std::end(kBuiltInMessages) || found->number != number) return {};
  return found->text;
}

std::vector<unsigned> BuiltInMessageNumbers() {
  std::vector<unsigned> numbers;
  numbers.reserve(std::size(kBuiltInMessages));
  for (const auto& message : kBuiltInMessages) numbers.push_back(message.number);
  return numbers;
}
