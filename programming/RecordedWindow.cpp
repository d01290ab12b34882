#include "RecordedWindow.h"

void RecordedWindow::AppendLine(const std::string& text) {
  record_.LineShown(text);
  window_.AppendLine(text);
}

void RecordedWindow::ClearLines() {
  record_.ListCleared();
  window_.ClearLines();
}

void RecordedWindow::RepaintLines() { window_.RepaintLines(); }

void RecordedWindow::SetProgressRange(int minimum, int maximum) { window_.SetProgressRange(minimum, maximum); }

void RecordedWindow::SetProgressPosition(int position) { window_.SetProgressPosition(position); }

void RecordedWindow::EnableControl(int controlId, bool enabled) { window_.EnableControl(controlId, enabled); }

std::string RecordedWindow::SelectedPortName() { return window_.SelectedPortName(); }

bool RecordedWindow::IsLumoChecked() { return window_.IsLumoChecked(); }

std::string RecordedWindow::LoadLocalizedText(unsigned number) { return window_.LoadLocalizedText(number); }

void RecordedWindow::ShowMessageBox(const std::string& text, MessageBoxIcon icon) {
  record_.BoxShown(text, icon);
  window_.ShowMessageBox(text, icon);
}
