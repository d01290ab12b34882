// The window's menu entry that opens the records' folder. What a run through
// the window records is written by the same recording of its requests as the
// command line's, which RecordCliTest reads line by line; that the window
// shows what it was asked to is the window tests' part.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "FakeMainWindowView.h"
#include "HexFiles.h"
#include "MainWindow.h"

TEST(RecordWindowTest, TheMenuOpensTheRecordsFolderEvenBeforeTheFirstRun) {
  const TemporaryFolder folder;
  // The test's process ends with the test.
  ASSERT_EQ(::setenv("XDG_STATE_HOME", (folder / "state").string().c_str(), 1), 0);
  FakeMainWindowView view;
  MainWindow window(view, MainWindowSettings{.catalogueDirectory = CATALOGUE_DIR,
                                             .portProbe = [] { return PortProbeResult{}; }});
  view.RunModal(window);
  window.OnOpenRecordsFolder();
  const std::filesystem::path runs = folder / "state" / "tessaramond" / "runs";
  EXPECT_EQ(view.calls.back(), "open folder " + runs.string());
  EXPECT_TRUE(std::filesystem::is_directory(runs));
}
