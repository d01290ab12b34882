#pragma once

#include "WindowRequests.h"

// Starts the programming run on its own thread with the window as its only
// way to the technician, and returns at once.
void StartProgrammingWorker(WindowRequests& window);
