#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "WindowRequests.h"

class MainWindow;

// What the main window's behaviour (MainWindow) asks of the toolkit that
// draws it: the Qt dialog on Linux, the Win32 dialog on Windows, a fake in
// tests. Controls are addressed by their ids (ControlId). Texts are UTF-8.
// Apart from OnWindowThread, every call comes on the window's own thread.
class MainWindowView {
 public:
  virtual ~MainWindowView();

  // Runs the window modally: hands its events to `window`, has it initialise
  // (MainWindow::Initialise) before it is first shown, and returns when the
  // modal run ends.
  virtual void RunModal(MainWindow& window) = 0;
  // Carries out `request` on the window's thread and returns once it is done.
  // From any other thread the request waits until the window's thread takes
  // its next messages; on the window's thread it runs at once.
  virtual void OnWindowThread(const std::function<void()>& request) = 0;

  // The two bitmap buttons made at start-up: the logo (1031, bitmap 133) at
  // (220, 15) and the Update button (1029, bitmaps 134 and 136) at (30, 150),
  // in pixels of the client area, each sized to its bitmap.
  virtual void CreateLogoButton() = 0;
  virtual void CreateUpdateButton() = 0;
  // The application icon as the window's large and small icon.
  virtual void SetWindowIcon() = 0;

  virtual void Hide(int controlId) = 0;
  virtual void Enable(int controlId, bool enabled) = 0;
  virtual bool IsEnabled(int controlId) = 0;
  virtual void SetChecked(int controlId, bool checked) = 0;
  virtual bool IsChecked(int controlId) = 0;

  // Combo boxes: entries by index, -1 selecting none.
  virtual void InsertEntry(int controlId, int index, const std::string& text) = 0;
  virtual void AddEntry(int controlId, const std::string& text) = 0;
  virtual int EntryCount(int controlId) = 0;
  virtual std::string EntryText(int controlId, int index) = 0;
  virtual void Select(int controlId, int index) = 0;
  virtual int Selection(int controlId) = 0;

  // The COM port selector (1001), whose entries are the ports' short names:
  // the closed box shows the entry's name, the dropped-down list `listText`
  // (the name and what the port is), and the list is as wide as its longest
  // text. Select, Selection and EntryText work on these entries as on any.
  virtual void AddPortEntry(const std::string& name, const std::string& listText) = 0;
  virtual void ClearPortEntries() = 0;

  // The message list. A new line is scrolled into view: a failure is always
  // the newest line.
  virtual void AppendLine(const std::string& text) = 0;
  virtual void ClearLines() = 0;
  virtual void RepaintLines() = 0;

  // The progress bar; the position given is always within the range.
  virtual void SetProgressRange(int minimum, int maximum) = 0;
  virtual void SetProgressPosition(int position) = 0;

  // Whether the window has a menu that takes the About entry (the system menu
  // on Windows, the window's context menu on Linux).
  virtual bool HasSystemMenu() = 0;
  // Adds a separator and the About entry with this text to that menu.
  virtual void AddAboutEntry(const std::string& text) = 0;
  virtual void ShowAboutBox() = 0;
  // Adds a separator and the entry that opens the folder of the update
  // records to that menu; the About entry comes after it.
  virtual void AddRecordsFolderEntry(const std::string& text) = 0;
  // Shows `folder` in the desktop's file manager, without waiting for it;
  // false when none could be asked to.
  virtual bool OpenFolder(const std::filesystem::path& folder) = 0;
  // A modal box owned by the window; returns once the technician closed it.
  virtual void ShowMessageBox(const std::string& text, MessageBoxIcon icon) = 0;
  virtual void Beep() = 0;
  // Ends the modal run with the cancel result.
  virtual void EndModalRun() = 0;
};
