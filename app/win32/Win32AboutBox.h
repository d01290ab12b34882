#pragma once

#include <windows.h>

// "About Quendraflox" from dialog template 100: the application icon, the
// version lines and OK. Runs modally over `owner` until OK or Esc.
void RunAboutBox(HINSTANCE instance, HWND owner);
