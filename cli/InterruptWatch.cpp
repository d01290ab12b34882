#include "InterruptWatch.h"

#include <csignal>
#include <mutex>
#include <thread>
#include <utility>

#if defined(_WIN32)
#include <windows.h>
#else
#include <pthread.h>
#endif

namespace {

std::mutex handlerMutex;
std::function<void()> interruptHandler;

void HandleInterrupt() {
  const std::lock_guard lock(handlerMutex);
  if (interruptHandler) interruptHandler();
}

#if defined(_WIN32)
BOOL WINAPI OnConsoleControl(DWORD event) {
  if (event != CTRL_C_EVENT) return FALSE;
  // Windows already calls this on a thread of its own.
  HandleInterrupt();
  return TRUE;
}
#endif

}  // namespace

void WatchInterrupts(std::function<void()> onInterrupt) {
  {
    const std::lock_guard lock(handlerMutex);
    interruptHandler = std::move(onInterrupt);
  }
#if defined(_WIN32)
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);
#else
  sigset_t interrupt;
  sigemptyset(&interrupt);
  sigaddset(&interrupt, SIGINT);
  pthread_sigmask(SIG_BLOCK, &interrupt, nullptr);
  // Waits in sigwait, so the handler may do anything a thread may.
  std::thread([interrupt] {
    for (;;) {
      int signal = 0;
      if (sigwait(&interrupt, &signal) == 0) HandleInterrupt();
    }
  }).detach();
#endif
}

void StopWatchingInterrupts() {
  const std::lock_guard lock(handlerMutex);
  interruptHandler = nullptr;
}
