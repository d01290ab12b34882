// Plays the technician at a run of tessaramond.exe in the same wine desktop:
// presses OK on the box "Update ok!!!", closes the window once the run has
// released the close lock, and ends with 0 once the window is gone; with 1 as
// soon as another box opens or the window goes away by itself, or when the time
// limit passes. What the run did is read from its record afterwards
// (window-update-under-wine).
// Usage: window_run_watch SECONDS
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "WideText.h"

int main(int argc, char** argv) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(argc > 1 ? std::atoi(argv[1]) : 0);
  const auto finish = [](int result, const char* why) {
    std::printf("window_run_watch: %s\n", why);
    return result;
  };
  const auto within = [&deadline](auto done) {
    for (; !done(); Sleep(100)) {
      if (std::chrono::steady_clock::now() > deadline) return false;
    }
    return true;
  };
  HWND window = nullptr;
  if (!within([&] { return (window = FindWindowW(nullptr, L"Quendraflox Kesto V5.16")) != nullptr; })) {
    return finish(1, "no window appeared");
  }
  // Every box of the run's is titled so; the window is a dialog of its own name.
  HWND box = nullptr;
  if (!within([&] { return !IsWindow(window) || (box = FindWindowW(L"#32770", L"Tessaramond")) != nullptr; })) {
    return finish(1, "the run did not end in time");
  }
  if (box == nullptr) return finish(1, "the window went away by itself");
  wchar_t text[512] = {};
  GetDlgItemTextW(box, 0xFFFF, text, 512);  // the id the system gives a message box's text
  std::printf("[box] %s\n", Utf8FromWide(text).c_str());
  if (std::wstring(text) != L"Update ok!!!") return finish(1, "a box other than \"Update ok!!!\" opened");
  SendMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
  // The hidden Cancel control is enabled again: the window may close.
  if (!within([&] { return IsWindowEnabled(GetDlgItem(window, IDCANCEL)) != FALSE; })) {
    return finish(1, "the close lock stayed on after the run");
  }
  PostMessageW(window, WM_CLOSE, 0, 0);
  if (!within([&] { return !IsWindow(window); })) return finish(1, "the window did not end when closed");
  return finish(0, "the window has ended");
}
