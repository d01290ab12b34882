#pragma once

#include <windows.h>

#include "MainWindowView.h"
#include "Win32BitmapButton.h"
#include "Win32PortSelector.h"

// The main window drawn by the Win32 API: a modal dialog from template 102,
// black on white, with the owner-drawn bitmap buttons and the records and
// About entries in the system menu. Events go to the MainWindow it runs; every way of closing
// the window (Esc, the close box, Close in the system menu, Alt+F4) goes to
// MainWindow::OnCancel, which decides on the close lock. The worker's
// requests are sent to the dialog as a message and carried out by its thread.
class Win32MainWindowView : public MainWindowView {
 public:
  explicit Win32MainWindowView(HINSTANCE instance);

  Win32MainWindowView(const Win32MainWindowView&) = delete;
  Win32MainWindowView& operator=(const Win32MainWindowView&) = delete;

  // The dialog, from its initialisation on; the handle stays as it was once
  // the dialog has ended.
  HWND Dialog() const { return dialog_; }

  // MainWindowView
  void RunModal(MainWindow& window) override;
  void OnWindowThread(const std::function<void()>& request) override;
  void CreateLogoButton() override;
  void CreateUpdateButton() override;
  void SetWindowIcon() override;
  void Hide(int controlId) override;
  void Enable(int controlId, bool enabled) override;
  bool IsEnabled(int controlId) override;
  void SetChecked(int controlId, bool checked) override;
  bool IsChecked(int controlId) override;
  void InsertEntry(int controlId, int index, const std::string& text) override;
  void AddEntry(int controlId, const std::string& text) override;
  int EntryCount(int controlId) override;
  std::string EntryText(int controlId, int index) override;
  void Select(int controlId, int index) override;
  int Selection(int controlId) override;
  void AddPortEntry(const std::string& name, const std::string& listText) override;
  void ClearPortEntries() override;
  void AppendLine(const std::string& text) override;
  void ClearLines() override;
  void RepaintLines() override;
  void SetProgressRange(int minimum, int maximum) override;
  void SetProgressPosition(int position) override;
  bool HasSystemMenu() override;
  void AddAboutEntry(const std::string& text) override;
  void ShowAboutBox() override;
  void AddRecordsFolderEntry(const std::string& text) override;
  bool OpenFolder(const std::filesystem::path& folder) override;
  void ShowMessageBox(const std::string& text, MessageBoxIcon icon) override;
  void Beep() override;
  void EndModalRun() override;

 private:
  static INT_PTR CALLBACK DialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  bool OnCommand(int controlId, int notification);
  void OnDestroy();
  bool OnPortSelectorCommand(int notification);
  // A separator and an entry at the end of the system menu.
  void AppendSystemMenuEntry(UINT command, const std::string& text);
  HWND Control(int controlId) const { return GetDlgItem(dialog_, controlId); }

  const HINSTANCE instance_;
  // The message that carries a request to the dialog's thread.
  const UINT requestMessage_;
  MainWindow* window_ = nullptr;
  HWND dialog_ = nullptr;
  DWORD windowThread_ = 0;
  HBRUSH whiteBrush_ = nullptr;
  HICON largeIcon_ = nullptr;
  Win32BitmapButton logo_;
  Win32BitmapButton update_;
  Win32PortSelector portSelector_;
};
