#pragma once

#include "ProgrammingContext.h"

// The operating module's boot loader dialogue, which goes on to the language
// upload. Opens its own port.
RunOutcome ProgramBM(const ProgrammingContext& run);
