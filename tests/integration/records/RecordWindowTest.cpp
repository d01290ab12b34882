// The record of a run through the window's behaviour (a fake view, its
// requests served as the window's loop serves them) against the oven
// simulator, and the menu entry that opens the records' folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <future>
#include <memory>

#include "CancelRequest.h"
#include "ChildProcess.h"
#include "FakeMainWindowView.h"
#include "FirmwareRelease.h"
#include "HexFiles.h"
#include "MainWindow.h"
#include "RecordFiles.h"
#include "RecordedUpdate.h"

TEST(RecordWindowTest, AWholeRunThroughTheWindowIsRecordedAndTheMenuOpensTheRecordsFolder) {
  const TemporaryFolder folder;
  const FirmwareRelease release(folder.Path(), 16, 16);
  // Without --once: the simulator's end could race the closing telegram's
  // write; it ends with the test.
  ChildProcess oven({OVENSIM_PATH}, folder.Path().string(), (folder / "ovensim.err").string());
  const auto port = oven.ReadLine();
  ASSERT_TRUE(port);
  // Set before the run's thread starts; the test's process ends with the test.
  const std::string state = (folder / "state").string();
  ASSERT_EQ(::setenv("XDG_STATE_HOME", state.c_str(), 1), 0);
  const WorkingDirectory inFolder(folder.Path());

  // The window's Update command with the oven's pauses left out.
  FakeMainWindowView view;
  // Kept by the run's thread: its last act may come after the test's end.
  const auto ended = std::make_shared<std::promise<void>>();
  std::future<void> recordDone = ended->get_future();
  MainWindowSettings settings{
      .catalogueDirectory = CATALOGUE_DIR,
      .updateCommand =
          [&](MainWindow& window) {
            static ScaledPauses noPauses(0.0);
            window.SaveControlValues();
            StartRecordedUpdate({window, [] { return std::make_unique<SerialPort>(); }, noPauses, theCancelRequest},
                                {.program = "window"}, [ended](RunOutcome) { ended->set_value(); });
          },
      .portProbe = [&port] { return PortProbeResult{{{"oven", *port}}, {}}; }};
  MainWindow window(view, std::move(settings));
  view.RunModal(window);
  const std::size_t initialised = view.calls.size();
  window.OnUpdate();
  // The run's last request gives the model buttons back; its record ends
  // after it.
  ASSERT_TRUE(view.ServeUntil([&] { return view.calls.back() == "enable 1028"; }, std::chrono::seconds(60)));
  ASSERT_EQ(recordDone.wait_for(std::chrono::seconds(10)), std::future_status::ready);

  const auto records = RecordsIn(state);
  ASSERT_EQ(records.size(), 1u);
  const auto events = EventsOf(records[0]);
  std::vector<std::string> shown;
  for (std::size_t i = initialised; i < view.calls.size(); ++i) {
    const std::string& call = view.calls[i];
    if (call.starts_with("line ")) shown.push_back("line: " + call.substr(5));
    if (call == "clear") shown.push_back("list cleared");
    if (call.starts_with("box ")) shown.push_back("box: " + call.substr(4));
  }
  EXPECT_EQ(ShownEvents(events), shown);
  EXPECT_TRUE(HoldInOrder(events, {"program: Tessaramond " TESSARAMOND_VERSION " (window)", "port: " + *port,
                                   "SM identification: DpcT4, 508 blocks", "box: Update ok!!!", "end: succeeded"}))
      << ::testing::PrintToString(events);
  ExpectCheckCrcs(events, folder.Path());

  // The menu's entry opens the records' folder.
  window.OnOpenRecordsFolder();
  EXPECT_EQ(view.calls.back(), "open folder " + (folder / "state" / "tessaramond" / "runs").string());
}
