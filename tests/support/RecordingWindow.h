#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "TextCatalogue.h"
#include "WindowRequests.h"

// Serves the window requests the way the window shows them, with the texts of
// the build's catalogues (CATALOGUE_DIR) in the language chosen by
// `languageIndex`. Requests may come from a worker thread.
class RecordingWindow : public WindowRequests {
 public:
  void AppendLine(const std::string& text) override {
    const std::lock_guard lock(mutex);
    lines.push_back(text);
    transcript.push_back(text);
  }
  void ClearLines() override {
    const std::lock_guard lock(mutex);
    lines.clear();
    transcript.push_back(kCleared);
  }
  void RepaintLines() override {}
  void SetProgressRange(int minimum, int maximum) override {
    const std::lock_guard lock(mutex);
    progressRange = {minimum, maximum};
  }
  void SetProgressPosition(int position) override {
    const std::lock_guard lock(mutex);
    progress.push_back(position);
  }
  void EnableControl(int controlId, bool enabled) override {
    {
      const std::lock_guard lock(mutex);
      enabledControls[controlId] = enabled;
      controlChanges.push_back({controlId, enabled});
    }
    if (onEnableControl) onEnableControl(controlId, enabled);
  }
  std::string SelectedPortName() override { return portName; }
  bool Enabled(int controlId) {
    const std::lock_guard lock(mutex);
    const auto found = enabledControls.find(controlId);
    return found != enabledControls.end() && found->second;
  }
  bool IsLumoChecked() override { return lumoChecked; }
  std::string LoadLocalizedText(unsigned number) override {
    return LookupText(CATALOGUE_DIR, languageIndex, number);
  }
  void ShowMessageBox(const std::string& text, MessageBoxIcon icon) override {
    const std::lock_guard lock(mutex);
    boxes.push_back(text);
    boxIcons.push_back(icon);
    transcript.push_back(kBox + text);
  }

  // How a clearing of the list and a box stand in the transcript.
  static constexpr const char* kCleared = "<cleared>";
  static constexpr const char* kBox = "<box> ";

  std::mutex mutex;
  // Called after each change of a control, on the thread that asked for it:
  // what the technician could do at that moment.
  std::function<void(int controlId, bool enabled)> onEnableControl;
  std::string portName = "COM1";
  int languageIndex = 0;  // as the language selector: english, deutsch, francais
  bool lumoChecked = false;
  std::vector<std::string> lines;
  // Every line, clearing and box in order.
  std::vector<std::string> transcript;
  std::vector<std::string> boxes;
  std::vector<MessageBoxIcon> boxIcons;
  std::pair<int, int> progressRange{0, 0};
  std::vector<int> progress;
  std::map<int, bool> enabledControls;
  std::vector<std::pair<int, bool>> controlChanges;
};
