#include "Win32MainWindowView.h"

#include <commctrl.h>
#include <shellapi.h>

#include "ControlId.h"
#include "DialogInitialData.h"
#include "MainWindow.h"
#include "WideText.h"
#include "Win32AboutBox.h"
#include "Win32ResourceIds.h"

namespace {

// The created buttons, placed in pixels of the client area.
constexpr POINT kLogoTopLeft{220, 15};
constexpr POINT kUpdateButtonTopLeft{30, 150};

HICON LoadApplicationIcon(HINSTANCE instance, int widthMetric, int heightMetric) {
  // Shared: the system keeps one copy of the icon and releases it itself.
  return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_APPLICATION_ICON), IMAGE_ICON,
                                       GetSystemMetrics(widthMetric), GetSystemMetrics(heightMetric), LR_SHARED));
}

}  // namespace

Win32MainWindowView::Win32MainWindowView(HINSTANCE instance)
    : instance_(instance), requestMessage_(RegisterWindowMessageW(L"Tessaramond.WindowRequest")) {}

void Win32MainWindowView::RunModal(MainWindow& window) {
  window_ = &window;
  windowThread_ = GetCurrentThreadId();
  DialogBoxParamW(instance_, MAKEINTRESOURCEW(IDD_MAIN_WINDOW), nullptr, DialogProcedure,
                  reinterpret_cast<LPARAM>(this));
}

void Win32MainWindowView::OnWindowThread(const std::function<void()>& request) {
  // On the window's own thread a sent message would be handled at once as
  // well; calling directly says so.
  if (GetCurrentThreadId() == windowThread_) {
    request();
    return;
  }
  bool served = false;
  const std::function<void()> serve = [&request, &served] {
    request();
    served = true;
  };
  SendMessageW(dialog_, requestMessage_, 0, reinterpret_cast<LPARAM>(&serve));
  if (!served) {
    // The window has ended and the process ends with it (UpdaterApp::Run):
    // the worker must not go on with an answer it never got.
    for (;;) Sleep(INFINITE);
  }
}

INT_PTR CALLBACK Win32MainWindowView::DialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    reinterpret_cast<Win32MainWindowView*>(lParam)->dialog_ = dialog;
  }
  // The port selector's list measures its lines while the dialog is made.
  if (message == WM_MEASUREITEM && Win32PortSelector::Measure(dialog, *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam))) {
    return TRUE;
  }
  auto* view = reinterpret_cast<Win32MainWindowView*>(GetWindowLongPtrW(dialog, DWLP_USER));
  // Messages before WM_INITDIALOG (the font, the frame) need nothing of ours.
  return view != nullptr ? view->OnMessage(message, wParam, lParam) : FALSE;
}

INT_PTR Win32MainWindowView::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == requestMessage_) {
    (*reinterpret_cast<const std::function<void()>*>(lParam))();
    return TRUE;
  }
  switch (message) {
    case WM_INITDIALOG:
      whiteBrush_ = CreateSolidBrush(RGB(255, 255, 255));
      ApplyDialogInitialData(instance_, IDD_MAIN_WINDOW, dialog_);
      portSelector_.Attach(Control(ControlId::kComPortSelector), Control(ControlId::kLanguageSelector));
      window_->Initialise();
      return TRUE;  // the dialog manager sets the initial focus
    case WM_COMMAND:
      return OnCommand(LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == IDM_ABOUTBOX) {
        window_->OnAboutCommand();
        return TRUE;
      }
      if ((wParam & 0xFFF0) == IDM_RECORDS_FOLDER) {
        window_->OnOpenRecordsFolder();
        return TRUE;
      }
      return FALSE;
    case WM_CLOSE:
      // The close box, Close in the system menu and Alt+F4 end here. Handled
      // here, the dialog manager neither beeps on its own nor ends the dialog.
      window_->OnCancel();
      return TRUE;
    case WM_HELP:
      window_->OnHelpKey();
      return TRUE;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORSCROLLBAR:
      return reinterpret_cast<INT_PTR>(whiteBrush_);
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      return logo_.Draw(item) || update_.Draw(item) || portSelector_.Draw(item) ? TRUE : FALSE;
    }
    case WM_QUERYDRAGICON:
      return reinterpret_cast<INT_PTR>(largeIcon_);
    case WM_DESTROY:
      OnDestroy();
      return FALSE;
    default:
      return FALSE;
  }
}

bool Win32MainWindowView::OnCommand(int controlId, int notification) {
  switch (controlId) {
    case IDCANCEL:  // Esc, the hidden Cancel button, and WM_CLOSE's default
      window_->OnCancel();
      return true;
    case ControlId::kUpdateButton:
    case ControlId::kUpdateTwin:
      if (notification == BN_CLICKED) window_->OnUpdate();
      return true;
    case ControlId::kProgramSmButton:
      if (notification == BN_CLICKED) window_->OnProgramSm();
      return true;
    case ControlId::kLanguageSelector:
      if (notification == CBN_SELCHANGE) window_->OnLanguageChanged();
      return true;
    case ControlId::kComPortSelector:
      return OnPortSelectorCommand(notification);
    default:
      return false;
  }
}

bool Win32MainWindowView::OnPortSelectorCommand(int notification) {
  // Sent before the list shows, which it does with the entries it then has.
  if (notification == CBN_DROPDOWN) window_->OnPortListOpening();
  return true;
}

void Win32MainWindowView::OnDestroy() {
  // Only what the dialog itself drew with; the view and the window stay for
  // a worker that may still be in a request.
  DeleteObject(whiteBrush_);
  whiteBrush_ = nullptr;
  logo_.Release();
  update_.Release();
}

void Win32MainWindowView::CreateLogoButton() {
  logo_.Create(dialog_, instance_, ControlId::kLogoButton, L"Red. Fan Speed", kLogoTopLeft, {IDB_LOGO, 0}, false);
}

void Win32MainWindowView::CreateUpdateButton() {
  update_.Create(dialog_, instance_, ControlId::kUpdateButton, L"", kUpdateButtonTopLeft,
                 {IDB_UPDATE_UP, IDB_UPDATE_GREYED}, true);
}

void Win32MainWindowView::SetWindowIcon() {
  largeIcon_ = LoadApplicationIcon(instance_, SM_CXICON, SM_CYICON);
  SendMessageW(dialog_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(largeIcon_));
  SendMessageW(dialog_, WM_SETICON, ICON_SMALL,
               reinterpret_cast<LPARAM>(LoadApplicationIcon(instance_, SM_CXSMICON, SM_CYSMICON)));
}

void Win32MainWindowView::Hide(int controlId) { ShowWindow(Control(controlId), SW_HIDE); }

void Win32MainWindowView::Enable(int controlId, bool enabled) { EnableWindow(Control(controlId), enabled); }

bool Win32MainWindowView::IsEnabled(int controlId) {
  HWND control = Control(controlId);
  return control != nullptr && IsWindowEnabled(control) != FALSE;
}

void Win32MainWindowView::SetChecked(int controlId, bool checked) {
  SendMessageW(Control(controlId), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool Win32MainWindowView::IsChecked(int controlId) {
  return SendMessageW(Control(controlId), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32MainWindowView::InsertEntry(int controlId, int index, const std::string& text) {
  const std::wstring wide = WideFromUtf8(text);
  SendMessageW(Control(controlId), CB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(wide.c_str()));
}

void Win32MainWindowView::AddEntry(int controlId, const std::string& text) {
  const std::wstring wide = WideFromUtf8(text);
  SendMessageW(Control(controlId), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

int Win32MainWindowView::EntryCount(int controlId) {
  const LRESULT count = SendMessageW(Control(controlId), CB_GETCOUNT, 0, 0);
  return count == CB_ERR ? 0 : static_cast<int>(count);
}

std::string Win32MainWindowView::EntryText(int controlId, int index) {
  HWND combo = Control(controlId);
  const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == CB_ERR) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(length));
  return Utf8FromWide(text);
}

void Win32MainWindowView::Select(int controlId, int index) {
  SendMessageW(Control(controlId), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int Win32MainWindowView::Selection(int controlId) {
  return static_cast<int>(SendMessageW(Control(controlId), CB_GETCURSEL, 0, 0));
}

void Win32MainWindowView::AddPortEntry(const std::string& name, const std::string& listText) {
  portSelector_.Add(WideFromUtf8(name), WideFromUtf8(listText));
}

void Win32MainWindowView::ClearPortEntries() { portSelector_.Clear(); }

void Win32MainWindowView::AppendLine(const std::string& text) {
  HWND list = Control(ControlId::kMessageList);
  const std::wstring wide = WideFromUtf8(text);
  const LRESULT index = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
  // The list box stops short of scrolling past its last line, so this shows
  // the new line at the bottom once the list is full.
  if (index >= 0) SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
}

void Win32MainWindowView::ClearLines() { SendMessageW(Control(ControlId::kMessageList), LB_RESETCONTENT, 0, 0); }

void Win32MainWindowView::RepaintLines() { UpdateWindow(Control(ControlId::kMessageList)); }

void Win32MainWindowView::SetProgressRange(int minimum, int maximum) {
  SendMessageW(Control(ControlId::kProgressBar), PBM_SETRANGE32, static_cast<WPARAM>(minimum), maximum);
}

void Win32MainWindowView::SetProgressPosition(int position) {
  SendMessageW(Control(ControlId::kProgressBar), PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

bool Win32MainWindowView::HasSystemMenu() { return GetSystemMenu(dialog_, FALSE) != nullptr; }

void Win32MainWindowView::AddAboutEntry(const std::string& text) { AppendSystemMenuEntry(IDM_ABOUTBOX, text); }

void Win32MainWindowView::ShowAboutBox() { RunAboutBox(instance_, dialog_); }

void Win32MainWindowView::AddRecordsFolderEntry(const std::string& text) {
  AppendSystemMenuEntry(IDM_RECORDS_FOLDER, text);
}

void Win32MainWindowView::AppendSystemMenuEntry(UINT command, const std::string& text) {
  HMENU menu = GetSystemMenu(dialog_, FALSE);
  const std::wstring wide = WideFromUtf8(text);
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, command, wide.c_str());
}

bool Win32MainWindowView::OpenFolder(const std::filesystem::path& folder) {
  // Explorer opens it; ShellExecute returns a value above 32 once it is asked.
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteW(dialog_, L"open", folder.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  return result > 32;
}

void Win32MainWindowView::ShowMessageBox(const std::string& text, MessageBoxIcon icon) {
  const std::wstring wide = WideFromUtf8(text);
  MessageBoxW(dialog_, wide.c_str(), L"Tessaramond",
              MB_OK | (icon == MessageBoxIcon::Error ? MB_ICONERROR : MB_ICONINFORMATION));
}

void Win32MainWindowView::Beep() { MessageBeep(MB_OK); }

void Win32MainWindowView::EndModalRun() { EndDialog(dialog_, IDCANCEL); }
