#pragma once

#include <functional>
#include <memory>

#include "ProgrammingContext.h"
#include "ProgrammingWorker.h"
#include "RunRecord.h"

// What the window's Update button and `tessaramond-cli update` run: the
// Update command from its choice of files on (LoadFirmwareFiles, the firmware
// folder) and the programming run it starts, both written into one record.
// `run` gives the real window, ports, pauses and cancel request; the record
// sees what they are asked, and changes nothing of it.
//
// `onEnd` is called with the outcome after the record's end, as
// StartProgrammingWorker calls it. When the command ends before the run (a
// file-error box), no worker starts; the record is finished all the same, on
// a thread from `startThread` so that the window's thread writes no file,
// and `onEnd` hears Failed. Returns the record, to learn where it went.
std::shared_ptr<const RunRecord> StartRecordedUpdate(const ProgrammingContext& run, RunRecordSettings record,
                                                     std::function<void(RunOutcome)> onEnd = {},
                                                     const ThreadStarter& startThread = StartDetachedThread);
