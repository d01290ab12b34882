#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ControlId.h"
#include "MainWindow.h"
#include "MainWindowView.h"

// A main window without a toolkit: it keeps each control's state and writes
// every call that changes the window into `calls`, in order. The thread that
// made it is the window's thread; requests from other threads wait until that
// thread serves them (Serve, ServeUntil), as a window's message loop would.
class FakeMainWindowView : public MainWindowView {
 public:
  struct Control {
    bool visible = true;
    bool enabled = true;
    bool checked = false;
    std::vector<std::string> entries;
    int selection = -1;
  };

  FakeMainWindowView() {
    // The template's hidden controls.
    for (int id : {ControlId::kCancel, ControlId::kUpdateTwin, ControlId::kProgramSmButton,
                   ControlId::kProgramBmButton, ControlId::kArdmoreCheckBox, ControlId::kModelKesto,
                   ControlId::kModelLumo}) {
      controls[id].visible = false;
    }
    controls[ControlId::kLanguageSelector].entries = {"English", "Deutsch", "Francais"};
  }

  // What RunModal does after the initialisation, standing for the modal run.
  std::function<void(MainWindow&)> modalRun;

  std::vector<std::string> calls;
  std::vector<std::string> lines;
  std::map<int, Control> controls;
  // The port selector's entries as its dropped-down list shows them.
  std::vector<std::string> portListTexts;

  // How many calls there were of this one.
  std::ptrdiff_t Count(const std::string& call) const { return std::count(calls.begin(), calls.end(), call); }

  // Serves the requests other threads have made until `done` holds; false
  // when it does not within `timeout`.
  bool ServeUntil(const std::function<bool()>& done,
                  std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::unique_lock lock(mutex_);
    for (;;) {
      while (!queue_.empty()) {
        Pending* pending = queue_.front();
        queue_.pop_front();
        lock.unlock();
        pending->request();
        lock.lock();
        pending->done = true;
        served_.notify_all();
      }
      lock.unlock();
      if (done()) return true;
      lock.lock();
      if (!wake_.wait_until(lock, deadline, [this] { return !queue_.empty() || woken_; })) break;
      woken_ = false;
    }
    lock.unlock();
    return done();
  }
  // Ends a ServeUntil wait early, from any thread (the run has ended).
  void Wake() {
    const std::lock_guard lock(mutex_);
    woken_ = true;
    wake_.notify_all();
  }

  void RunModal(MainWindow& window) override {
    window.Initialise();
    if (modalRun) modalRun(window);
  }
  void OnWindowThread(const std::function<void()>& request) override {
    if (std::this_thread::get_id() == windowThread_) {
      request();
      return;
    }
    Pending pending{request};
    std::unique_lock lock(mutex_);
    queue_.push_back(&pending);
    wake_.notify_all();
    served_.wait(lock, [&pending] { return pending.done; });
  }

  void CreateLogoButton() override { Record("create " + std::to_string(ControlId::kLogoButton)); }
  void CreateUpdateButton() override { Record("create " + std::to_string(ControlId::kUpdateButton)); }
  void SetWindowIcon() override { Record("icon"); }
  void Hide(int id) override {
    controls[id].visible = false;
    Record("hide " + std::to_string(id));
  }
  void Enable(int id, bool enabled) override {
    controls[id].enabled = enabled;
    Record((enabled ? "enable " : "disable ") + std::to_string(id));
  }
  bool IsEnabled(int id) override { return OnThisThread(), controls[id].enabled; }
  void SetChecked(int id, bool checked) override {
    controls[id].checked = checked;
    Record((checked ? "check " : "uncheck ") + std::to_string(id));
  }
  bool IsChecked(int id) override { return OnThisThread(), controls[id].checked; }
  void InsertEntry(int id, int index, const std::string& text) override {
    auto& entries = controls[id].entries;
    entries.insert(entries.begin() + index, text);
    Record("insert " + std::to_string(id) + " " + std::to_string(index) + " " + text);
  }
  void AddEntry(int id, const std::string& text) override {
    controls[id].entries.push_back(text);
    Record("add " + std::to_string(id) + " " + text);
  }
  int EntryCount(int id) override { return OnThisThread(), static_cast<int>(controls[id].entries.size()); }
  std::string EntryText(int id, int index) override {
    OnThisThread();
    return controls[id].entries.at(static_cast<std::size_t>(index));
  }
  void Select(int id, int index) override {
    controls[id].selection = index;
    Record("select " + std::to_string(id) + " " + std::to_string(index));
  }
  int Selection(int id) override { return OnThisThread(), controls[id].selection; }
  void AddPortEntry(const std::string& name, const std::string& listText) override {
    controls[ControlId::kComPortSelector].entries.push_back(name);
    portListTexts.push_back(listText);
    Record("add 1001 " + listText);
  }
  void ClearPortEntries() override {
    controls[ControlId::kComPortSelector].entries.clear();
    controls[ControlId::kComPortSelector].selection = -1;
    portListTexts.clear();
    Record("clear 1001");
  }
  void AppendLine(const std::string& text) override {
    lines.push_back(text);
    Record("line " + text);
  }
  void ClearLines() override {
    lines.clear();
    Record("clear");
  }
  void RepaintLines() override { Record("repaint"); }
  void SetProgressRange(int minimum, int maximum) override {
    Record("range " + std::to_string(minimum) + " " + std::to_string(maximum));
  }
  void SetProgressPosition(int position) override { Record("position " + std::to_string(position)); }
  bool HasSystemMenu() override { return true; }
  void AddAboutEntry(const std::string& text) override { Record("about entry " + text); }
  void ShowAboutBox() override { Record("about box"); }
  void AddRecordsFolderEntry(const std::string& text) override { Record("records entry " + text); }
  bool OpenFolder(const std::filesystem::path& folder) override {
    Record("open folder " + folder.string());
    return true;
  }
  void ShowMessageBox(const std::string& text, MessageBoxIcon icon) override {
    Record((icon == MessageBoxIcon::Error ? "error box " : "box ") + text);
  }
  void Beep() override { Record("beep"); }
  void EndModalRun() override { Record("end"); }

 private:
  struct Pending {
    std::function<void()> request;
    bool done = false;
  };

  // Every call of a view comes on the window's thread.
  void OnThisThread() const { EXPECT_EQ(std::this_thread::get_id(), windowThread_); }
  void Record(std::string call) {
    OnThisThread();
    calls.push_back(std::move(call));
  }

  const std::thread::id windowThread_ = std::this_thread::get_id();
  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable served_;
  std::deque<Pending*> queue_;
  bool woken_ = false;
};
