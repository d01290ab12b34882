#include <windows.h>

#include "UpdaterApp.h"
#include "Win32ApplicationStart.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) { StartWin32Application(instance, UpdaterApp()); }
