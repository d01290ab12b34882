#pragma once

class UpdaterApp;

// The program's start on Qt: decides on the start-up Update from the
// arguments as received (before Qt takes its own options out of them), makes
// the application and the window, and runs `app` on them. Never returns.
[[noreturn]] void StartQtApplication(int argc, char** argv, const UpdaterApp& app);
