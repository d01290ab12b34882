#pragma once

#include "RunRecord.h"
#include "WindowRequests.h"

// The window as a recorded run sees it: every request goes to the real
// window unchanged; each line, clearing and box is first written into the
// run's record, so that a record cut short by a crash still holds what was
// on the screen.
class RecordedWindow : public WindowRequests {
 public:
  RecordedWindow(WindowRequests& window, RunRecord& record) : window_(window), record_(record) {}

  void AppendLine(const std::string& text) override;
  void ClearLines() override;
  void RepaintLines() override;
  void SetProgressRange(int minimum, int maximum) override;
  void SetProgressPosition(int position) override;
  void EnableControl(int controlId, bool enabled) override;
  std::string SelectedPortName() override;
  bool IsLumoChecked() override;
  std::string LoadLocalizedText(unsigned number) override;
  void ShowMessageBox(const std::string& text, MessageBoxIcon icon) override;

 private:
  WindowRequests& window_;
  RunRecord& record_;
};
