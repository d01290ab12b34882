#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "ControlId.h"
#include "RunRecording.h"
#include "TextCatalogue.h"
#include "WindowRequests.h"

// Serves the window requests with the texts of the build's catalogues
// (CATALOGUE_DIR) in the language of `languageIndex`, and writes them down in
// one recording (RunRecording.h), from whichever thread they come. A line not
// repainted before the next request is followed by "<not repainted>"; a
// control enabled while `portHeld` says a port is still open gets
// " (port held)", since a run started then could not open it.
class RecordingWindow : public WindowRequests {
 public:
  void AppendLine(const std::string& text) override { Record(text, true); }
  void ClearLines() override { Record("<clear>"); }
  void RepaintLines() override {
    const std::lock_guard lock(mutex_);
    unshown_ = false;
  }
  void SetProgressRange(int minimum, int maximum) override {
    Record("range " + std::to_string(minimum) + "-" + std::to_string(maximum));
  }
  void SetProgressPosition(int position) override {
    const std::lock_guard lock(mutex_);
    if (rising_ && position == riseTo_ + 1) {
      riseTo_ = position;
      events_.back() = "at " + std::to_string(riseFrom_) + ".." + std::to_string(riseTo_);
    } else {
      RecordLocked("at " + std::to_string(position), false);
      riseFrom_ = riseTo_ = position;
      rising_ = true;
    }
    changed_.notify_all();
  }
  void EnableControl(int controlId, bool enabled) override {
    static const std::map<int, std::string> names{
        {ControlId::kCancel, "Cancel"}, {ControlId::kUpdateButton, "Update"}, {ControlId::kLanguageSelector, "Language"},
        {ControlId::kModelKesto, "Kesto"}, {ControlId::kModelLumo, "Lumo"}};
    const auto name = names.find(controlId);
    const bool held = enabled && portHeld && portHeld();
    Record((enabled ? "+" : "-") + (name != names.end() ? name->second : std::to_string(controlId)) +
           (held ? " (port held)" : ""));
  }
  // The selected port, which becomes `laterPortName` once read, if that is set.
  std::string SelectedPortName() override {
    const std::lock_guard lock(mutex_);
    const std::string selected = portName;
    if (laterPortName) portName = *laterPortName;
    return selected;
  }
  bool IsLumoChecked() override { return lumoChecked; }
  std::string LoadLocalizedText(unsigned number) override { return LookupText(CATALOGUE_DIR, languageIndex, number); }
  void ShowMessageBox(const std::string& text, MessageBoxIcon icon) override {
    Record((icon == MessageBoxIcon::Error ? "<error box> " : "<box> ") + text);
  }

  Recording Events() {
    const std::lock_guard lock(mutex_);
    Recording events = events_;
    if (unshown_) events.emplace_back("<not repainted>");
    return events;
  }

  // The run has ended: no request comes any more.
  void EndRun() {
    const std::lock_guard lock(mutex_);
    if (unshown_) events_.emplace_back("<not repainted>");
    unshown_ = false;
    ended_ = true;
    changed_.notify_all();
  }

  // Compares the requests as they come with `expected`, any one of them; each
  // once the next has come or the run has ended, since a rise of the progress
  // may still grow. Returns at the first that differs, or when the next does
  // not come within `limit`: what differed; "" when the run ended after just
  // the requests of one of them.
  std::string FirstDifference(std::vector<Recording> expected, std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    for (std::size_t i = 0;; ++i) {
      if (!changed_.wait_for(lock, limit, [&] { return ended_ || events_.size() > i + 1; })) {
        return "nothing came after request " + std::to_string(events_.size()) + " \"" +
               (events_.empty() ? "" : events_.back()) + "\"";
      }
      const bool came = events_.size() > i;
      const std::string wanted = expected.front().size() > i ? expected.front()[i] : "the end of the run";
      std::erase_if(expected, [&](const Recording& e) { return came ? e.size() <= i || e[i] != events_[i] : e.size() != i; });
      if (expected.empty()) {
        return "request " + std::to_string(i) + ": \"" + (came ? events_[i] : "the end of the run") + "\", not \"" +
               wanted + "\"";
      }
      if (!came) return {};
    }
  }

  // Called with every control enabled: whether a port is open at that moment.
  std::function<bool()> portHeld;
  std::string portName = "COM1";
  std::optional<std::string> laterPortName;
  int languageIndex = 0;  // as the language selector: english, deutsch, francais
  bool lumoChecked = false;

 private:
  void Record(const std::string& event, bool line = false) {
    const std::lock_guard lock(mutex_);
    RecordLocked(event, line);
    changed_.notify_all();
  }
  void RecordLocked(const std::string& event, bool line) {
    if (unshown_) events_.emplace_back("<not repainted>");
    unshown_ = line;
    rising_ = false;
    events_.push_back(event);
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  Recording events_;
  bool unshown_ = false;  // the last line has not been repainted yet
  bool rising_ = false;   // the last request set the progress
  int riseFrom_ = 0;
  int riseTo_ = 0;
  bool ended_ = false;
};
