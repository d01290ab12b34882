#pragma once

#include <windows.h>

class UpdaterApp;

// The program's start on Windows: decides on the start-up Update from the
// command line as the process received it, registers the common controls the
// window uses (the progress bar), and runs `app` on the Win32 window. Never
// returns.
[[noreturn]] void StartWin32Application(HINSTANCE instance, const UpdaterApp& app);
