#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "MainWindow.h"
#include "PortProbe.h"
#include "WideText.h"
#include "Win32MainWindowView.h"

using namespace std::chrono_literals;

inline std::string TextOf(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return Utf8FromWide(text);
}

inline std::string ClassOf(HWND window) {
  wchar_t name[128] = {};
  GetClassNameW(window, name, 128);
  return Utf8FromWide(name);
}

// A control's rectangle in pixels of its dialog's client area.
inline RECT PlaceOf(HWND control) {
  RECT place{};
  GetWindowRect(control, &place);
  MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&place), 2);
  return place;
}

// The list box's lines, top to bottom.
inline std::vector<std::string> LinesOf(HWND list) {
  std::vector<std::string> lines;
  const auto count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    std::wstring line(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)) + 1, L'\0');
    line.resize(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line.data()))));
    lines.push_back(Utf8FromWide(line));
  }
  return lines;
}

// A combo box's entries, by index.
inline std::vector<std::string> EntriesOf(HWND combo) {
  std::vector<std::string> entries;
  const auto count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    std::wstring entry(static_cast<std::size_t>(SendMessageW(combo, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
    entry.resize(static_cast<std::size_t>(SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(entry.data()))));
    entries.push_back(Utf8FromWide(entry));
  }
  return entries;
}

// Watches the window's thread through two hooks: the boxes it opens (message
// boxes, the About box), caught as they are activated, and the messages it
// takes from its queue, so that a test knows when what it posted (keys as a
// technician types them) has been handled.
class WindowThreadHooks {
 public:
  explicit WindowThreadHooks(DWORD windowThread) {
    current_ = this;
    activation_ = SetWindowsHookExW(WH_CBT, OnActivation, nullptr, windowThread);
    queue_ = SetWindowsHookExW(WH_GETMESSAGE, OnQueueMessage, nullptr, windowThread);
  }
  ~WindowThreadHooks() {
    UnhookWindowsHookEx(activation_);
    UnhookWindowsHookEx(queue_);
    current_ = nullptr;
  }
  WindowThreadHooks(const WindowThreadHooks&) = delete;
  WindowThreadHooks& operator=(const WindowThreadHooks&) = delete;

  // The next box with an owner that the window's thread activates; nullptr
  // when none comes in time.
  HWND NextBox(std::chrono::milliseconds timeout = 10s) {
    std::unique_lock lock(mutex_);
    if (!changed_.wait_for(lock, timeout, [this] { return !boxes_.empty(); })) return nullptr;
    HWND box = boxes_.front();
    boxes_.erase(boxes_.begin());
    return box;
  }

  // Posts `message` to `window` as input would come, and returns once the
  // window's thread has handled it: a marker posted behind it has been taken.
  bool PostAndWait(HWND window, UINT message, WPARAM wParam, LPARAM lParam, HWND dialog) {
    std::unique_lock lock(mutex_);
    const WPARAM marker = ++markersPosted_;
    PostMessageW(window, message, wParam, lParam);
    PostMessageW(dialog, WM_NULL, kMarker, static_cast<LPARAM>(marker));
    return changed_.wait_for(lock, 10s, [this, marker] { return markerTaken_ >= marker; });
  }

 private:
  static constexpr WPARAM kMarker = 0x7E55;

  static LRESULT CALLBACK OnActivation(int code, WPARAM wParam, LPARAM lParam) {
    auto* box = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_ACTIVATE && current_ != nullptr && GetWindow(box, GW_OWNER) != nullptr) {
      const std::lock_guard lock(current_->mutex_);
      for (HWND seen : current_->seen_) {
        if (seen == box) return CallNextHookEx(nullptr, code, wParam, lParam);
      }
      current_->seen_.push_back(box);
      current_->boxes_.push_back(box);
      current_->changed_.notify_all();
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }

  static LRESULT CALLBACK OnQueueMessage(int code, WPARAM wParam, LPARAM lParam) {
    const auto* message = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && current_ != nullptr && message->message == WM_NULL &&
        message->wParam == kMarker) {
      const std::lock_guard lock(current_->mutex_);
      current_->markerTaken_ = static_cast<WPARAM>(message->lParam);
      current_->changed_.notify_all();
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }

  static inline WindowThreadHooks* current_ = nullptr;
  HHOOK activation_ = nullptr;
  HHOOK queue_ = nullptr;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<HWND> seen_;
  std::vector<HWND> boxes_;
  WPARAM markersPosted_ = 0;
  WPARAM markerTaken_ = 0;
};

// One modal run of the Win32 window on the test's thread, the window's
// thread, while `technician` plays on another thread from the moment the
// window has initialised. The run is ended afterwards whatever state the
// technician left the window in; a window that then does not end fails the
// test program at once instead of holding it until the time-out.
struct Win32WindowRun {
  Win32MainWindowView& view;
  MainWindow& window;
  HWND dialog;
  WindowThreadHooks& hooks;
  // Set once the modal run has returned.
  std::shared_future<void> ended;

  HWND Control(int controlId) const { return GetDlgItem(dialog, controlId); }
};

inline void RunWin32Window(MainWindowSettings settings, const std::function<void(Win32WindowRun&)>& technician) {
  std::promise<void> initialised;
  std::future<void> initialisedFuture = initialised.get_future();
  // The port probe is the last step of the initialisation; the port list
  // probes again each time it drops down.
  auto probe = settings.portProbe ? settings.portProbe : ProbePorts;
  bool probed = false;
  settings.portProbe = [probe, &initialised, &probed] {
    PortProbeResult ports = probe();
    if (!probed) initialised.set_value();
    probed = true;
    return ports;
  };
  Win32MainWindowView view(GetModuleHandleW(nullptr));
  MainWindow window(view, std::move(settings));
  std::promise<void> ended;
  std::shared_future<void> endedFuture = ended.get_future().share();

  std::thread technicianThread([&] {
    initialisedFuture.wait();
    HWND dialog = view.Dialog();
    if (dialog == nullptr || endedFuture.wait_for(0s) == std::future_status::ready) {
      ADD_FAILURE() << "the window did not run";
      return;
    }
    {
      WindowThreadHooks hooks(GetWindowThreadProcessId(dialog, nullptr));
      Win32WindowRun run{view, window, dialog, hooks, endedFuture};
      technician(run);
    }
    if (endedFuture.wait_for(0s) == std::future_status::ready) return;
    EnableWindow(GetDlgItem(dialog, IDCANCEL), TRUE);
    PostMessageW(dialog, WM_CLOSE, 0, 0);
    if (endedFuture.wait_for(20s) != std::future_status::ready) {
      std::fprintf(stderr, "The window did not end after the test; a box may still be open.\n");
      std::fflush(nullptr);
      std::_Exit(1);
    }
  });
  view.RunModal(window);
  ended.set_value();
  try {
    initialised.set_value();  // a window that never initialised
  } catch (const std::future_error&) {
  }
  technicianThread.join();
}
