// Watches a run of tessaramond.exe in the same wine desktop as the technician
// at the window would: prints the window's lines as they come, presses OK on
// the box "Update ok!!!", closes the window once the run has released the
// close lock, and ends with 0 once the window is gone. Ends with 1 as soon as a line reports a failure, another box
// opens, the window goes away by itself, or the time limit passes.
// Usage: window_run_watch SECONDS
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ExecutableDirectory.h"
#include "TextCatalogue.h"
#include "WideText.h"

namespace {

constexpr const wchar_t* kWindowCaption = L"Quendraflox Kesto V5.16";
constexpr const char* kSuccessBox = "Update ok!!!";
constexpr auto kWindowStartLimit = std::chrono::seconds(30);
constexpr auto kWindowEndLimit = std::chrono::seconds(10);
// The id the system gives a message box's text.
constexpr int kMessageBoxText = 0xFFFF;

std::vector<std::string> LinesOf(HWND list) {
  std::vector<std::string> lines;
  const auto count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    std::wstring line(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)) + 1, L'\0');
    const LRESULT length = SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line.data()));
    line.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    lines.push_back(Utf8FromWide(line));
  }
  return lines;
}

struct BoxSearch {
  HWND owner;
  HWND box;
};

// A message box of the window's, if one is open.
HWND OpenBox(HWND window) {
  BoxSearch search{window, nullptr};
  EnumWindows(
      [](HWND candidate, LPARAM data) -> BOOL {
        auto* found = reinterpret_cast<BoxSearch*>(data);
        if (GetWindow(candidate, GW_OWNER) != found->owner || !IsWindowVisible(candidate)) return TRUE;
        found->box = candidate;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.box;
}

std::string BoxText(HWND box) {
  wchar_t text[512] = {};
  GetDlgItemTextW(box, kMessageBoxText, text, 512);
  return Utf8FromWide(text);
}

class RunWatch {
 public:
  explicit RunWatch(std::chrono::seconds limit) : deadline_(std::chrono::steady_clock::now() + limit) {
    // The lines that end a run without success, in the window's language
    // (English, as every start begins).
    const auto catalogues = CatalogueDirectory(ExecutableDirectory());
    for (unsigned number : {128u, 129u, 131u, 132u, 133u, 134u, 135u, 138u, 139u, 140u, 142u, 144u, 145u}) {
      failureLines_.push_back(LookupText(catalogues, 0, number));
    }
  }

  // One look at the window; false once the watch is over (result() tells how).
  bool Look() {
    const auto now = std::chrono::steady_clock::now();
    HWND window = FindWindowW(nullptr, kWindowCaption);
    if (window == nullptr) {
      if (closing_) return Finish(0, "the window has ended");
      if (seenWindow_) return Finish(1, "the window went away by itself");
      if (now - started_ > kWindowStartLimit) return Finish(1, "no window appeared");
      return true;
    }
    seenWindow_ = true;
    if (closing_) {
      if (now - closedAt_ > kWindowEndLimit) return Finish(1, "the window did not end when closed");
      return true;
    }
    if (succeeded_) {
      // The hidden Cancel control is enabled again: the window may close.
      if (IsWindowEnabled(GetDlgItem(window, IDCANCEL))) {
        PostMessageW(window, WM_CLOSE, 0, 0);
        closing_ = true;
        closedAt_ = now;
      } else if (now > deadline_) {
        return Finish(1, "the close lock stayed on after the run");
      }
      return true;
    }
    PrintNewLines(window);
    if (failed_) return Finish(1, "a line reported a failure");
    if (HWND box = OpenBox(window)) {
      const std::string text = BoxText(box);
      std::printf("[box] %s\n", text.c_str());
      std::fflush(stdout);
      if (text != kSuccessBox) return Finish(1, "a box other than \"Update ok!!!\" opened");
      SendMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
      succeeded_ = true;
      return true;
    }
    if (now > deadline_) return Finish(1, "the run did not end in time");
    return true;
  }

  int Result() const { return result_; }

 private:
  void PrintNewLines(HWND window) {
    const std::vector<std::string> lines = LinesOf(GetDlgItem(window, 1004));
    // A list that no longer starts with what was printed has been cleared.
    std::size_t from = 0;
    if (lines.size() >= printed_.size() && std::equal(printed_.begin(), printed_.end(), lines.begin())) {
      from = printed_.size();
    }
    for (std::size_t i = from; i < lines.size(); ++i) {
      std::printf("%s\n", lines[i].c_str());
      for (const std::string& failure : failureLines_) {
        if (!failure.empty() && lines[i] == failure) failed_ = true;
      }
    }
    std::fflush(stdout);
    printed_ = lines;
  }

  bool Finish(int result, const char* why) {
    std::printf("window_run_watch: %s\n", why);
    std::fflush(stdout);
    result_ = result;
    return false;
  }

  const std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
  const std::chrono::steady_clock::time_point deadline_;
  std::vector<std::string> failureLines_;
  std::vector<std::string> printed_;
  bool seenWindow_ = false;
  bool failed_ = false;
  bool succeeded_ = false;
  bool closing_ = false;
  std::chrono::steady_clock::time_point closedAt_{};
  int result_ = 1;
};

}  // namespace

int main(int argc, char** argv) {
  const long seconds = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 0;
  if (seconds <= 0) {
    std::fprintf(stderr, "Usage: window_run_watch SECONDS\n");
    return 2;
  }
  RunWatch watch{std::chrono::seconds(seconds)};
  // A look every tenth of a second, between them the thread waits for its timer.
  SetTimer(nullptr, 0, 100, nullptr);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (message.message == WM_TIMER && !watch.Look()) break;
  }
  return watch.Result();
}
