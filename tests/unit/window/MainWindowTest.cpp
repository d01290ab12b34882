// The main window's behaviour, without a toolkit: a fake view keeps the
// controls and writes down every call in order.
#include "MainWindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "CancelRequest.h"
#include "CommandLine.h"
#include "ControlId.h"
#include "FakeMainWindowView.h"
#include "FirmwareRelease.h"
#include "HexFiles.h"
#include "UpdateCommand.h"
#include "UpdaterApp.h"

#if !defined(_WIN32)
#include "PtyPair.h"
#endif

namespace {

using Lines = std::vector<std::string>;

const Lines kEnglishInstructions{"1. Switch off the main power from unit", "2. Connect the PC via RS232 to the SM",
                                 "3. Disconnect the X12 from SM"};
const Lines kGermanInstructions{"1. Hauptschalter des Geräts ausschalten", "2. PC über RS232 mit dem SM verbinden",
                                "3. X12 vom SM abziehen"};
const Lines kFrenchInstructions{"1. Coupez l'alimentation principale de l'appareil", "2. Reliez le PC au SM via RS232",
                                "3. Débranchez le X12 du SM"};

// A window initialised on `view` with the build's catalogues, two ports (one
// an adapter that says what it is) and an Update command that does nothing,
// unless `settings` say otherwise.
std::unique_ptr<MainWindow> Start(FakeMainWindowView& view, MainWindowSettings settings = {}) {
  if (settings.catalogueDirectory.empty()) settings.catalogueDirectory = CATALOGUE_DIR;
  if (!settings.portProbe) {
    settings.portProbe = [] {
      return PortProbeResult{
          {{"ttyUSB0", "/dev/ttyUSB0", "FT232R USB UART, FTDI, A10K4ZQ"}, {"ttyUSB1", "/dev/ttyUSB1"}}, {}};
    };
  }
  if (!settings.updateCommand) settings.updateCommand = [](MainWindow&) {};
  auto window = std::make_unique<MainWindow>(view, std::move(settings));
  view.RunModal(*window);
  return window;
}

}  // namespace

TEST(MainWindow, InitialisesStepByStepWithTheStartUpUpdateBeforeThePortsAreListed) {
  FakeMainWindowView view;
  MainWindowSettings settings;
  settings.runUpdateAtStart = true;
  settings.updateCommand = [&view](MainWindow&) { view.calls.push_back("Update command"); };
  const auto window = Start(view, std::move(settings));

  const Lines expected{
      "create 1031", "create 1029", "check 1015", "uncheck 1017", "check 1027",
      "hide 1017", "hide 1015", "hide 1020", "hide 1016", "hide 1019", "hide 1023", "hide 1022", "hide 1018", "hide 1024",
      "insert 1026 0 Standard", "select 1026 0", "hide 1026", "hide 1030",
      "records entry Update &records...", "about entry &About Tessaramond...", "icon",
      "line 1. Switch off the main power from unit", "line 2. Connect the PC via RS232 to the SM",
      "line 3. Disconnect the X12 from SM", "repaint",
      "select 1021 0", "uncheck 1011",
      "Update command",
      "clear 1001", "add 1001 ttyUSB0 \u2014 FT232R USB UART, FTDI, A10K4ZQ", "add 1001 ttyUSB1", "select 1001 0"};
  EXPECT_EQ(view.calls, expected);
  // The selector names the ports; the worker gets the path behind the name.
  EXPECT_EQ(view.controls[ControlId::kComPortSelector].entries, (Lines{"ttyUSB0", "ttyUSB1"}));
  EXPECT_EQ(window->SelectedPortName(), "/dev/ttyUSB0");
}

TEST(MainWindow, PortsThisUserMayNotOpenAreNamedInALine) {
  FakeMainWindowView denied;
  const auto window = Start(denied, {.portProbe = [] {
                   return PortProbeResult{{{"ttyS4", "/dev/ttyS4"}}, {{"ttyUSB0", "/dev/ttyUSB0"}}};
                 }});
  EXPECT_EQ(window->SelectedPortName(), "/dev/ttyS4");
#if defined(_WIN32)
  EXPECT_EQ(denied.lines, kEnglishInstructions);
#else
  ASSERT_EQ(denied.lines.size(), 4u);
  EXPECT_NE(denied.lines[3].find("dialout"), std::string::npos);
#endif
}

// Each step opens the list once more, after adapters were plugged in or
// pulled; where a step says so, the technician chose an entry before.
TEST(MainWindow, OpeningThePortListListsThePortsAgainAndTheSelectionStaysOnItsPort) {
  const FoundPort s4{"ttyS4", "/dev/ttyS4"};
  const FoundPort acm0{"ttyACM0", "/dev/ttyACM0", "Arduino Uno, Arduino (www.arduino.cc), 7503330"};
  const FoundPort usb0{"ttyUSB0", "/dev/ttyUSB0", "FT232R USB UART, FTDI, A10K4ZQ"};
  PortProbeResult present;
  FakeMainWindowView view;
  const auto window = Start(view, {.portProbe = [&present] { return present; }});
  // None at start-up: nothing selected, and no line about ports.
  EXPECT_EQ(view.controls[ControlId::kComPortSelector].selection, -1);
  EXPECT_EQ(view.lines, kEnglishInstructions);

  struct Step {
    const char* what;
    std::optional<int> chosen;
    PortProbeResult found;
    Lines entries;
    std::string portOpened;
  };
  const Step steps[] = {
      {"two ports plugged in", {}, {{s4, usb0}, {}}, {"ttyS4", "ttyUSB0"}, "/dev/ttyS4"},
      {"nothing changed", 1, {{s4, usb0}, {}}, {"ttyS4", "ttyUSB0"}, "/dev/ttyUSB0"},
      {"an adapter added before it", {}, {{acm0, s4, usb0}, {}}, {"ttyACM0", "ttyS4", "ttyUSB0"}, "/dev/ttyUSB0"},
      {"another port removed", {}, {{acm0, usb0}, {}}, {"ttyACM0", "ttyUSB0"}, "/dev/ttyUSB0"},
      {"held open, as by a run on Windows", {}, {{acm0}, {usb0}}, {"ttyACM0", "ttyUSB0"}, "/dev/ttyUSB0"},
      {"the selected adapter pulled", {}, {{acm0, s4}, {}}, {"ttyACM0", "ttyS4"}, "/dev/ttyACM0"},
      {"every port gone", 1, {{}, {}}, {}, ""},
      {"an adapter plugged in", {}, {{usb0}, {}}, {"ttyUSB0"}, "/dev/ttyUSB0"},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    if (step.chosen) view.controls[ControlId::kComPortSelector].selection = *step.chosen;
    present = step.found;
    view.calls.clear();
    window->OnPortListOpening();
    EXPECT_EQ(view.controls[ControlId::kComPortSelector].entries, step.entries);
    EXPECT_EQ(window->SelectedPortName(), step.portOpened);
  }
  EXPECT_EQ(view.portListTexts, Lines{"ttyUSB0 \u2014 FT232R USB UART, FTDI, A10K4ZQ"});

  // The same ports again: the selector is not touched at all.
  view.calls.clear();
  window->OnPortListOpening();
  EXPECT_EQ(view.calls, Lines{});
}

#if !defined(_WIN32)
// The real start-up with the real port probe, on pseudo-terminals.
TEST(MainWindow, TheStartUpUpdateFindsTheOneWindowAndItsWorkerTheFirstPortFound) {
  PtyPair first;
  PtyPair second;
  setenv(kPortListVariable, (first.Path() + ":" + second.Path()).c_str(), 1);
  FakeMainWindowView view;
  std::thread worker;
  std::atomic<bool> answered{false};
  bool answeredDuringInitialisation = true;
  std::string port;
  MainWindow* seen = nullptr;
  const UpdaterApp app([&](MainWindow& window) {
    seen = theMainWindow;
    worker = std::thread([&window, &port, &answered, &view] {
      port = window.SelectedPortName();
      answered = true;
      view.Wake();
    });
  });
  view.modalRun = [&](MainWindow&) {
    answeredDuringInitialisation = answered;
    view.ServeUntil([&] { return answered.load(); });
  };
  app.RunMainWindow(view, true);
  worker.join();

  ASSERT_NE(seen, nullptr);
  EXPECT_EQ(seen, theMainWindow);
  EXPECT_FALSE(answeredDuringInitialisation);
  EXPECT_EQ(port, first.Path());
}
#endif

TEST(MainWindow, AnyArgumentRunsTheUpdateAtStartUpAndNothingElseDoes) {
  const char* name = "tessaramond";
  const char* const onlyTheName[] = {name};
  EXPECT_FALSE(HasCommandLineArgument(1, onlyTheName));
  for (const char* argument : {"go", "", " ", "-platform", "-style"}) {
    const char* const withArgument[] = {name, argument};
    EXPECT_TRUE(HasCommandLineArgument(2, withArgument)) << '"' << argument << '"';
  }

  // Windows hands over the whole command line, the program's name first.
  for (const wchar_t* line :
       {L"tessaramond.exe", L"tessaramond.exe   \t", L"\"C:\\Program Files\\T\\tessaramond.exe\"  "}) {
    EXPECT_FALSE(HasTextAfterProgramName(line));
  }
  for (const wchar_t* line :
       {L"tessaramond.exe go", L"tessaramond.exe \"\"", L"\"C:\\Program Files\\T\\tessaramond.exe\" x"}) {
    EXPECT_TRUE(HasTextAfterProgramName(line));
  }
}

TEST(MainWindow, TheCataloguesGiveTheTextsAndTheBuiltInTableStandsInForAMissingOne) {
  const TemporaryFolder onlyGerman;
  std::filesystem::copy_file(std::filesystem::path(CATALOGUE_DIR) / "deutsch.qm", onlyGerman / "deutsch.qm");
  struct Row {
    const char* name;
    std::filesystem::path folder;
    unsigned number;  // a text looked up in English
    std::string text;
    std::vector<Lines> instructions;  // as English, German and French are chosen
    bool about;
  };
  const Row rows[] = {
      {"the build's catalogues", CATALOGUE_DIR, 160, "SM file found",
       {kEnglishInstructions, kGermanInstructions, kFrenchInstructions}, true},
      // The built-in table has this one in German.
      {"only the German one", onlyGerman.Path(), 116, "Fehler beim Öffnen der Sprachen-Datei ",
       {kEnglishInstructions, kGermanInstructions, kEnglishInstructions}, true},
      {"an English one without message 101", CATALOGUE_WITHOUT_ABOUT_DIR, 160, "", {kEnglishInstructions}, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    FakeMainWindowView view;
    const auto window = Start(view, {.catalogueDirectory = row.folder});
    window->AppendLine("a line of an earlier run");
    EXPECT_EQ(window->LoadLocalizedText(row.number), row.text);
    for (int index : {1, 2, 0}) {
      if (static_cast<std::size_t>(index) >= row.instructions.size()) continue;
      view.controls[ControlId::kLanguageSelector].selection = index;
      window->OnLanguageChanged();
      EXPECT_EQ(view.lines, row.instructions[static_cast<std::size_t>(index)]) << index;
      EXPECT_EQ(view.calls.back(), "repaint");
    }
    EXPECT_EQ(window->AboutEntryText(), row.about ? "&About Tessaramond..." : "");
    EXPECT_EQ(std::count_if(view.calls.begin(), view.calls.end(),
                            [](const std::string& call) { return call.starts_with("about entry"); }),
              row.about ? 1 : 0);
    window->OnHelpKey();
    EXPECT_EQ(view.Count("about box"), row.about ? 1 : 0);
  }
}

TEST(MainWindow, TheCloseKeysEndTheRunOnlyWithoutTheCloseLock) {
  struct Case {
    const char* name;
    bool cancelEnabled;
    bool dialogueWaits;
    bool ends;
    int beeps;
    bool requestTaken;
  };
  for (const Case& c : {Case{"idle", true, false, true, 0, false},
                        Case{"idle while a dialogue waits", true, true, true, 0, false},
                        Case{"a module is programmed", false, false, false, 1, false},
                        Case{"the lock on while a dialogue waits", false, true, false, 0, true}}) {
    SCOPED_TRACE(c.name);
    FakeMainWindowView view;
    const auto window = Start(view);
    window->EnableControl(ControlId::kCancel, c.cancelEnabled);
    std::optional<CancelRequest::Wait> wait;
    if (c.dialogueWaits) wait.emplace(theCancelRequest);
    window->OnCancel();
    EXPECT_EQ(view.Count("end"), c.ends ? 1 : 0);
    EXPECT_EQ(view.Count("beep"), c.beeps);
    EXPECT_EQ(window->BeepCount(), c.beeps);
    EXPECT_EQ(theCancelRequest.Take(), c.requestTaken);
  }
}

TEST(MainWindow, AWorkersRequestsAreCarriedOutOnTheWindowsThreadInTheirOrder) {
  FakeMainWindowView view;
  const auto window = Start(view);
  view.controls[ControlId::kLanguageSelector].selection = 1;
  view.calls.clear();
  std::atomic<bool> done{false};
  std::string germanLine;
  std::string portName;
  bool lumo = true;
  std::thread worker([&] {
    window->ClearLines();
    window->AppendLine("Start charater found...");
    window->SetProgressRange(0, 512);
    window->SetProgressPosition(300);
    window->SetProgressPosition(3000);
    window->EnableControl(ControlId::kCancel, false);
    germanLine = window->LoadLocalizedText(154);
    portName = window->SelectedPortName();
    lumo = window->IsLumoChecked();
    window->ShowMessageBox("Update ok!!!", MessageBoxIcon::Information);
    done = true;
    view.Wake();
  });
  // Lookups on this thread while the worker looks up its own.
  EXPECT_EQ(window->LoadLocalizedText(160), "SM-Datei gefunden");
  ASSERT_TRUE(view.ServeUntil([&] { return done.load(); }));
  worker.join();

  EXPECT_EQ(view.calls, (Lines{"clear", "line Start charater found...", "range 0 512", "position 300",
                               "position 512", "disable 2", "box Update ok!!!"}));
  EXPECT_EQ(germanLine, "2. PC über RS232 mit dem SM verbinden");
  EXPECT_EQ(portName, "/dev/ttyUSB0");
  EXPECT_FALSE(lumo);
}

TEST(MainWindow, TheUpdateCommandListsTheFilesItFoundOrStopsAtAFileError) {
  const TemporaryFolder folder;
  std::filesystem::create_directories(folder / "Hex");
  WriteTextFile(folder / "Hex" / "a.hex", ":0300000011223396\n/SM\n");
  WriteTextFile(folder / "Hex" / "b.hex", ":00000001FF\n/SM\n");
  WriteTextFile(folder / "Hex" / "c.hex", "/BM\n");
  const WorkingDirectory inFolder(folder.Path());

  FakeMainWindowView view;
  const auto window = Start(view, {.updateCommand = RunUpdateCommand,
                                   .portProbe = [] { return PortProbeResult{}; }});
  window->OnUpdate();
  // No port is selected, so the worker it starts ends at once, its last
  // request releasing the close lock.
  ASSERT_TRUE(view.ServeUntil([&] { return view.lines.size() == 7 && view.calls.back() == "enable 2"; }));
  EXPECT_EQ(Lines(view.lines.begin() + 3, view.lines.end()),
            (Lines{"Hex/a.hex: Checksum error!", "SM file found", "BM file found", "Can't open COM-Port !!!"}));
  EXPECT_FALSE(view.controls[ControlId::kUpdateButton].enabled);

#if !defined(_WIN32)
  // A file that cannot be opened stops the command with a box naming it, and
  // no worker starts; the technician can try again at once.
  std::filesystem::create_symlink("nowhere", folder / "Hex" / "0.hex");
  view.controls[ControlId::kUpdateButton].enabled = true;
  window->OnUpdate();
  EXPECT_EQ(view.Count("error box The file Hex/0.hex cannot be opened: No such file or directory"), 1);
  EXPECT_TRUE(view.controls[ControlId::kUpdateButton].enabled);
  const std::size_t callsAfterTheBox = view.calls.size();
  const bool workerStarted =
      view.ServeUntil([&] { return view.calls.size() > callsAfterTheBox; }, std::chrono::milliseconds(300));
  EXPECT_FALSE(workerStarted);
  // One started by mistake ends at once for want of a port: let it.
  if (workerStarted) view.ServeUntil([&] { return view.calls.back() == "enable 2"; });
#endif
}
