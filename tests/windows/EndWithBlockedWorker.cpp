// tessaramond.exe's start with a command of ours: started with an argument,
// so the command runs at start-up. It leaves two workers behind, one blocked
// in a read that never ends and one making window requests without pause,
// and closes the window shortly after. The process must still end at once
// with exit code 0.
#include <windows.h>

#include <thread>

#include "MainWindow.h"
#include "UpdaterApp.h"
#include "Win32ApplicationStart.h"
#include "Win32MainWindowView.h"

int main() {
  StartWin32Application(GetModuleHandleW(nullptr), UpdaterApp([](MainWindow& window) {
    static HANDLE neverWritten[2];
    if (CreatePipe(&neverWritten[0], &neverWritten[1], nullptr, 0)) {
      std::thread([] {
        char received = 0;
        DWORD got = 0;
        ReadFile(neverWritten[0], &received, 1, &got, nullptr);
      }).detach();
    }
    std::thread([&window] {
      for (;;) {
        window.AppendLine("still working");
        window.SetProgressPosition(1);
      }
    }).detach();
    HWND dialog = dynamic_cast<Win32MainWindowView&>(window.View()).Dialog();
    SetTimer(dialog, 1, 300, [](HWND closing, UINT, UINT_PTR timer, DWORD) {
      KillTimer(closing, timer);
      PostMessageW(closing, WM_CLOSE, 0, 0);
    });
  }));
}
