#pragma once

#include <initializer_list>
#include <string>
#include <vector>

// What a run asks of the window, in order, as RecordingWindow writes it down:
// a line as its text, "<clear>" for the list emptied, "<box> " or
// "<error box> " before a box's text, "+Cancel" or "-Cancel" for a control
// enabled or disabled, "range 0-512" and "at 17" for the progress bar, a rise
// one step at a time as one "at 0..507".
using Recording = std::vector<std::string>;

inline Recording Join(std::initializer_list<Recording> parts) {
  Recording joined;
  for (const Recording& part : parts) joined.insert(joined.end(), part.begin(), part.end());
  return joined;
}

// Names a table's rows in test listings after their `name`.
inline constexpr auto kRowName = [](const auto& row) { return std::string(row.param.name); };

// The progress bar's rise from 0 to `last`, one step at a time.
inline std::string ProgressTo(int last) { return last == 0 ? "at 0" : "at 0.." + std::to_string(last); }

// The stages of a run as the English window shows them.
namespace Shown {
inline const Recording kFilesFound{"-Update", "SM file found", "BM file found"};
// The worker's start and the wait for the control module's ready sign.
inline const Recording kSmWaiting{"-Language", "Switch main-power on...", "range 0-512", "at 0"};
// Its start sign: the close lock goes on, the blocks' progress follows.
inline const Recording kSmStarted{"Start charater found...", "SM upload in progress...", "-Cancel",
                                  "Programming started...", "Don't touch anything while programming ;-)"};
inline const Recording kSmDone{"<clear>", "Update SM successful", "at 0", "Please reset the Pellandrix by press ",
                               "the On/Off button for 4 seconds"};
// The wait for the operating module's ready sign, and its start.
inline const Recording kBmWaiting{"range 0-512", "at 0"};
inline const Recording kBmStarted{"<clear>", "BM upload in progress...", "-Cancel"};
// The panel's ready sign '+' of a Kesto oven; the telegrams' progress follows.
inline const Recording kUploadStarted{"<clear>",  "Kesto FlashUpdate", "Flash upload in progress...",
                                      "-Cancel",  "range 0-2560",      "at 0"};
inline const Recording kUploadDone{"at 2560", "BM Initialisation...", "Upload process succeeded :-)",
                                   "<box> Update ok!!!", "+Update", "+Language", "+Cancel", "+Kesto", "+Lumo"};
// What a failure of the upload gives back: a new run may start at once.
inline const Recording kNewRun{"+Update", "+Language", "+Cancel"};
}  // namespace Shown

// The lines tessaramond-cli prints of a recording: an emptied list as an
// empty line, an information box marked; controls and progress do not show.
inline std::vector<std::string> ConsoleLines(const Recording& recording) {
  std::vector<std::string> lines;
  for (const std::string& shown : recording) {
    if (shown == "<clear>") {
      lines.emplace_back();
    } else if (shown.starts_with("<box> ")) {
      lines.push_back("[box] " + shown.substr(6));
    } else if (!shown.starts_with("+") && !shown.starts_with("-") && !shown.starts_with("range ") &&
               !shown.starts_with("at ")) {
      lines.push_back(shown);
    }
  }
  return lines;
}
