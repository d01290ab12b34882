#include "MainWindow.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "CancelRequest.h"
#include "ControlId.h"
#include "MainWindowView.h"
#include "PathText.h"
#include "ProgrammingWorker.h"
#include "RunRecordFolder.h"
#include "TextCatalogue.h"
#include "UpdateCommand.h"

MainWindow* theMainWindow = nullptr;

namespace {

constexpr unsigned kAboutEntryMessage = 101;
constexpr unsigned kInstructionMessages[] = {153, 154, 155};
constexpr const char* kDefaultEdition = "Standard";
// A fixed line of this program, not a numbered message.
constexpr const char* kRecordsFolderEntry = "Update &records...";

// The edition buttons, hidden in this order at initialisation.
constexpr int kEditionButtonsToHide[] = {1017, 1015, 1020, 1016, 1019, 1023, 1022, 1018, 1024};

// How a port reads in the dropped-down list: its name, and what it is where
// the system knows.
std::string PortListText(const FoundPort& port) {
  return port.description.empty() ? port.name : port.name + " \u2014 " + port.description;
}

#if !defined(_WIN32)
// Not a numbered message: it names a fix that only exists on Linux.
constexpr const char* kPortPermissionHint =
    "Serial ports found that this user may not open: add the user to the group "
    "'dialout' (sudo adduser $USER dialout), log in again and restart the program.";
#endif

}  // namespace

MainWindow::MainWindow(MainWindowView& view, MainWindowSettings settings)
    : view_(view), settings_(std::move(settings)) {
  if (!settings_.updateCommand) settings_.updateCommand = RunUpdateCommand;
  if (!settings_.portProbe) settings_.portProbe = ProbePorts;
}

void MainWindow::Initialise() {
  initialising_ = true;
  view_.CreateLogoButton();
  view_.CreateUpdateButton();

  view_.SetChecked(ControlId::kEdition1015, true);
  view_.SetChecked(ControlId::kEdition1017, false);
  view_.SetChecked(ControlId::kModelKesto, true);
  for (int id : kEditionButtonsToHide) view_.Hide(id);

  view_.InsertEntry(ControlId::kCustomerEditionSelector, 0, kDefaultEdition);
  view_.Select(ControlId::kCustomerEditionSelector, 0);
  view_.Hide(ControlId::kCustomerEditionSelector);
  view_.Hide(ControlId::kCustomerGroupBox);

  // The About entry stays the menu's last, as technicians know it.
  AddRecordsFolderEntry();
  AddAboutEntry();
  view_.SetWindowIcon();

  // The language selector has no selection yet, which reads as English.
  AppendInstructionLines([this](unsigned number) { return LoadLocalizedText(number); });
  view_.Select(ControlId::kLanguageSelector, 0);

  LoadControlValues();

  // A worker started here asks for the port only through requests that wait
  // for the window's messages, which come after the ports below are listed.
  if (settings_.runUpdateAtStart) OnUpdate();

  ProbeComPorts();
  initialising_ = false;
}

void MainWindow::AddAboutEntry() {
  if (!view_.HasSystemMenu()) return;
  const std::string text = LoadLocalizedText(kAboutEntryMessage);
  if (text.empty()) return;
  view_.AddAboutEntry(text);
  aboutEntryText_ = text;
}

void MainWindow::AddRecordsFolderEntry() {
  if (view_.HasSystemMenu()) view_.AddRecordsFolderEntry(kRecordsFolderEntry);
}

void MainWindow::OnOpenRecordsFolder() {
  std::string problem;
  const std::filesystem::path folder = RunRecordFolder(problem);
  if (folder.empty()) {
    view_.ShowMessageBox("There is no folder for the update records: " + problem + ".", MessageBoxIcon::Error);
    return;
  }
  const std::string shown = PathText(folder);
  // Before the first run the folder is not there yet; making one folder is
  // no wait for the window.
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) {
    view_.ShowMessageBox("The folder of the update records, " + shown + ", cannot be made: " + error.message() + ".",
                         MessageBoxIcon::Error);
  } else if (!view_.OpenFolder(folder)) {
    view_.ShowMessageBox("No file manager could be asked to open the folder of the update records, " + shown + ".",
                         MessageBoxIcon::Error);
  }
}

void MainWindow::AppendInstructionLines(const std::function<std::string(unsigned)>& text) {
  for (unsigned number : kInstructionMessages) view_.AppendLine(text(number));
  view_.RepaintLines();
}

void MainWindow::ProbeComPorts() {
  const PortProbeResult ports = settings_.portProbe();
  ShowPorts(ports.usablePorts, ports.usablePorts.empty() ? -1 : 0);
#if !defined(_WIN32)
  if (!ports.deniedPorts.empty()) {
    view_.AppendLine(kPortPermissionHint);
    view_.RepaintLines();
  }
#endif
}

void MainWindow::ShowPorts(std::vector<FoundPort> ports, int selection) {
  view_.ClearPortEntries();
  ports_ = std::move(ports);
  for (const FoundPort& port : ports_) view_.AddPortEntry(port.name, PortListText(port));
  view_.Select(ControlId::kComPortSelector, selection);
}

// An adapter plugged in or pulled since the list last dropped down shows at
// once. The selection follows its port; once that port is gone it goes to
// the first port, as at start-up.
void MainWindow::OnPortListOpening() {
  const PortProbeResult found = settings_.portProbe();
  const int selection = view_.Selection(ControlId::kComPortSelector);
  const bool hadSelection = selection >= 0 && static_cast<std::size_t>(selection) < ports_.size();
  const std::string selectedPath = hadSelection ? ports_[static_cast<std::size_t>(selection)].path : std::string();
  const auto isSelected = [&selectedPath](const FoundPort& port) { return port.path == selectedPath; };

  std::vector<FoundPort> ports = found.usablePorts;
  // A port that exists but cannot be opened just now stays while selected:
  // on Windows that is a port held open, perhaps by this program's own run.
  const auto held = std::find_if(found.deniedPorts.begin(), found.deniedPorts.end(), isSelected);
  if (hadSelection && held != found.deniedPorts.end() && std::none_of(ports.begin(), ports.end(), isSelected)) {
    const auto place = std::upper_bound(ports.begin(), ports.end(), *held, [](const FoundPort& a, const FoundPort& b) {
      return NaturalLess(a.name, b.name);
    });
    ports.insert(place, *held);
  }
  // Unchanged, the selector is left alone, whatever the technician typed.
  if (ports == ports_) return;

  const auto same = hadSelection ? std::find_if(ports.begin(), ports.end(), isSelected) : ports.end();
  const int index = same != ports.end() ? static_cast<int>(std::distance(ports.begin(), same)) : ports.empty() ? -1 : 0;
  ShowPorts(std::move(ports), index);
}

void MainWindow::LoadControlValues() { view_.SetChecked(ControlId::kArdmoreCheckBox, ardmoreCheckState_ != 0); }

void MainWindow::SaveControlValues() {
  ardmoreCheckState_ = view_.IsChecked(ControlId::kArdmoreCheckBox) ? 1 : 0;
}

void MainWindow::OnUpdate() { settings_.updateCommand(*this); }

void MainWindow::OnProgramSm() {
  SaveControlValues();
  StartProgrammingWorker(*this);
}

void MainWindow::OnLanguageChanged() {
  // Initialisation selects English itself; that is no change of language.
  if (initialising_) return;
  const LoadedCatalogue catalogue(settings_.catalogueDirectory, view_.Selection(ControlId::kLanguageSelector));
  view_.ClearLines();
  AppendInstructionLines([&catalogue](unsigned number) { return catalogue.Text(number); });
}

void MainWindow::OnCancel() {
  if (view_.IsEnabled(ControlId::kCancel)) {
    view_.EndModalRun();
    return;
  }
  // The close lock: a device is being programmed. Only while a dialogue
  // waits for a module's ready sign may the technician call the run off.
  if (theCancelRequest.Raise()) return;
  ++beepCount_;
  view_.Beep();
}

void MainWindow::OnAboutCommand() { view_.ShowAboutBox(); }

void MainWindow::OnHelpKey() {
  if (!aboutEntryText_.empty()) view_.ShowAboutBox();
}

void MainWindow::AppendLine(const std::string& text) {
  view_.OnWindowThread([this, &text] { view_.AppendLine(text); });
}

void MainWindow::ClearLines() {
  view_.OnWindowThread([this] { view_.ClearLines(); });
}

void MainWindow::RepaintLines() {
  view_.OnWindowThread([this] { view_.RepaintLines(); });
}

void MainWindow::SetProgressRange(int minimum, int maximum) {
  view_.OnWindowThread([this, minimum, maximum] {
    progressMinimum_ = minimum;
    progressMaximum_ = maximum;
    view_.SetProgressRange(minimum, maximum);
  });
}

void MainWindow::SetProgressPosition(int position) {
  // Like the classic progress control, a position beyond the range stands at
  // its end.
  view_.OnWindowThread([this, position] {
    view_.SetProgressPosition(std::clamp(position, progressMinimum_, std::max(progressMinimum_, progressMaximum_)));
  });
}

void MainWindow::EnableControl(int controlId, bool enabled) {
  view_.OnWindowThread([this, controlId, enabled] { view_.Enable(controlId, enabled); });
}

std::string MainWindow::SelectedPortName() {
  std::string name;
  view_.OnWindowThread([this, &name] {
    // The path behind the entry, not the name it shows.
    const int index = view_.Selection(ControlId::kComPortSelector);
    if (index >= 0 && static_cast<std::size_t>(index) < ports_.size()) {
      name = ports_[static_cast<std::size_t>(index)].path;
    }
  });
  return name;
}

bool MainWindow::IsLumoChecked() {
  bool checked = false;
  view_.OnWindowThread([this, &checked] { checked = view_.IsChecked(ControlId::kModelLumo); });
  return checked;
}

std::string MainWindow::LoadLocalizedText(unsigned number) {
  // Only the read of the selection goes to the window's thread; the catalogue
  // is loaded and read on the calling thread, so lookups may overlap.
  int languageIndex = -1;
  view_.OnWindowThread([this, &languageIndex] { languageIndex = view_.Selection(ControlId::kLanguageSelector); });
  return LookupText(settings_.catalogueDirectory, languageIndex, number);
}

void MainWindow::ShowMessageBox(const std::string& text, MessageBoxIcon icon) {
  view_.OnWindowThread([this, &text, icon] { view_.ShowMessageBox(text, icon); });
}
