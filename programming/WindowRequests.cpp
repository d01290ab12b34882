#include "WindowRequests.h"

// Defined out of line so that the interface's vtable lives in one unit.
WindowRequests::~WindowRequests() = default;

void AppendAndShow(WindowRequests& window, std::string_view text) {
  window.AppendLine(std::string(text));
  window.RepaintLines();
}

void AppendMessageAndShow(WindowRequests& window, unsigned number) {
  AppendAndShow(window, window.LoadLocalizedText(number));
}
