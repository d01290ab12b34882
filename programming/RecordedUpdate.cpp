#include "RecordedUpdate.h"

#include "FirmwareFileSelection.h"
#include "RecordedPauses.h"
#include "RecordedWindow.h"

namespace {

// A run and its record, alive until the run's thread lets go of them.
struct RecordedRun {
  RecordedRun(const ProgrammingContext& product, RunRecordSettings settings)
      : record(std::move(settings)),
        window(product.window, record),
        pauses(product.pauses, record),
        run{window, product.makePort, pauses, product.cancel, &record} {}
  // The members refer to each other.
  RecordedRun(const RecordedRun&) = delete;
  RecordedRun& operator=(const RecordedRun&) = delete;

  RunRecord record;
  RecordedWindow window;
  RecordedPauses pauses;
  ProgrammingContext run;
};

}  // namespace

std::shared_ptr<const RunRecord> StartRecordedUpdate(const ProgrammingContext& run, RunRecordSettings record,
                                                     std::function<void(RunOutcome)> onEnd,
                                                     const ThreadStarter& startThread) {
  auto recorded = std::make_shared<RecordedRun>(run, std::move(record));
  const std::shared_ptr<const RunRecord> result(recorded, &recorded->record);

  if (!LoadFirmwareFiles(recorded->window, kFirmwareFolder, &recorded->record)) {
    // No worker will read the port: the record names the one selected now.
    std::function<void()> finish = [recorded, port = run.window.SelectedPortName(), onEnd] {
      recorded->record.PortChosen(port);
      recorded->record.End(RunOutcome::Failed);
      if (onEnd) onEnd(RunOutcome::Failed);
    };
    if (!startThread(finish)) finish();
    return result;
  }

  StartProgrammingWorker(
      recorded->run,
      [recorded, onEnd](RunOutcome outcome) {
        recorded->record.End(outcome);
        if (onEnd) onEnd(outcome);
      },
      startThread);
  return result;
}
