// The Win32 window under wine, on a display of its own and with COM5 and COM6
// mapped to pseudo-terminals: what the Win32 API makes of the resource script
// and of the view (where the controls stand, the bitmap buttons, the texts in
// the chosen language, the system menu, the close lock, the worker's requests
// carried out by the window's thread). The behaviour behind it is tested
// without a display in tests/unit/window.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "CancelRequest.h"
#include "ControlId.h"
#include "ExecutableDirectory.h"
#include "MainWindowTemplate.h"
#include "Win32ResourceIds.h"
#include "Win32WindowRun.h"

namespace {

using Lines = std::vector<std::string>;

const Lines kEnglishInstructions{"1. Switch off the main power from unit", "2. Connect the PC via RS232 to the SM",
                                 "3. Disconnect the X12 from SM"};
const Lines kGermanInstructions{"1. Hauptschalter des Geräts ausschalten", "2. PC über RS232 mit dem SM verbinden",
                                "3. X12 vom SM abziehen"};

MainWindowSettings Settings() {
  MainWindowSettings settings;
  settings.catalogueDirectory = CATALOGUE_DIR;
  settings.updateCommand = [](MainWindow&) {};
  return settings;
}

// As the dialog manager places a control: its corner and its size are each
// converted from dialog units.
RECT UnitsToPixels(HWND dialog, int x, int y, int width, int height) {
  RECT place{x, y, width, height};
  MapDialogRect(dialog, &place);
  return {place.left, place.top, place.left + place.right, place.top + place.bottom};
}

std::string Corners(const RECT& place) {
  return std::to_string(place.left) + "," + std::to_string(place.top) + " " + std::to_string(place.right) + "," +
         std::to_string(place.bottom);
}

// What a control of the layout must be made as: its window class and the
// style bits that give its kind.
struct Kind {
  const char* windowClass;
  LONG styleMask;
  LONG style;
};

Kind KindOf(const TemplateControl& entry) {
  switch (entry.kind) {
    case TemplateControlKind::GroupBox: return {"Button", BS_TYPEMASK, BS_GROUPBOX};
    case TemplateControlKind::ComboBox: return {"ComboBox", 0x3, CBS_DROPDOWN};
    case TemplateControlKind::ListBox:
      // Its scroll bar shows only once the lines need it (see the requests).
      return {"ListBox", LBS_NOSEL | LBS_SORT | LBS_NOINTEGRALHEIGHT, LBS_NOSEL | LBS_NOINTEGRALHEIGHT};
    case TemplateControlKind::ProgressBar: return {"msctls_progress32", PBS_SMOOTH, PBS_SMOOTH};
    case TemplateControlKind::PushButton:
      return {"Button", BS_TYPEMASK, entry.defaultButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON};
    case TemplateControlKind::CheckBox: return {"Button", BS_TYPEMASK, BS_AUTOCHECKBOX};
    case TemplateControlKind::RadioButton: return {"Button", BS_TYPEMASK, BS_AUTORADIOBUTTON};
  }
  return {};
}

// After the initialisation only the frames, the two selectors, the message
// list and the progress bar of the layout are to be seen.
bool ShownAfterInitialisation(int id) {
  return id == 0 || id == ControlId::kComPortSelector || id == ControlId::kLanguageSelector ||
         id == ControlId::kMessageList || id == ControlId::kProgressBar;
}

bool CheckedAfterInitialisation(int id) { return id == ControlId::kEdition1015 || id == ControlId::kModelKesto; }

// Selects an entry of the language selector as a technician's choice does:
// the selection changes, then the dialog hears of it.
void ChooseLanguage(const Win32WindowRun& run, int index) {
  HWND selector = run.Control(ControlId::kLanguageSelector);
  SendMessageW(selector, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageW(run.dialog, WM_COMMAND, MAKEWPARAM(ControlId::kLanguageSelector, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(selector));
}

// Keys as the technician types them reach the control with the focus and go
// through the dialog manager.
HWND FocusOf(const Win32WindowRun& run) {
  GUITHREADINFO thread{};
  thread.cbSize = sizeof thread;
  GetGUIThreadInfo(GetWindowThreadProcessId(run.dialog, nullptr), &thread);
  return thread.hwndFocus != nullptr ? thread.hwndFocus : run.dialog;
}

}  // namespace

TEST(Win32MainWindow, EveryControlStandsWhereItsDialogUnitsPutItAndTheWindowStartsAsTheLayoutSays) {
  std::string portSeenByTheStartUpUpdate;
  std::thread startUpWorker;
  MainWindowSettings settings = Settings();
  settings.runUpdateAtStart = true;
  settings.updateCommand = [&](MainWindow& window) {
    startUpWorker = std::thread([&window, &portSeenByTheStartUpUpdate] {
      portSeenByTheStartUpUpdate = window.SelectedPortName();
    });
  };
  RunWin32Window(std::move(settings), [](Win32WindowRun& run) {
    HWND dialog = run.dialog;
    EXPECT_EQ(TextOf(dialog), "Quendraflox Kesto V5.16");
    const LONG style = GetWindowLongW(dialog, GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU), WS_CAPTION | WS_SYSMENU);
    EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0);
    RECT client{};
    GetClientRect(dialog, &client);
    EXPECT_EQ(Corners(client), Corners(UnitsToPixels(dialog, 0, 0, 299, 159)));
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_EQ(Utf8FromWide(font.lfFaceName), "MS Sans Serif");
    EXPECT_NE(SendMessageW(dialog, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(SendMessageW(dialog, WM_GETICON, ICON_SMALL, 0), 0);

    // The layout's controls in creation order; the created buttons aside.
    std::vector<HWND> made;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
      const int id = GetDlgCtrlID(child);
      if (id != ControlId::kLogoButton && id != ControlId::kUpdateButton) made.push_back(child);
    }
    const auto layout = MainWindowTemplate();
    ASSERT_EQ(made.size(), layout.size());
    for (std::size_t i = 0; i < layout.size(); ++i) {
      const TemplateControl& entry = layout[i];
      HWND control = made[i];
      const std::string what = std::string("control ") + std::to_string(entry.id) + " \"" + entry.caption + "\"";
      EXPECT_EQ(GetDlgCtrlID(control), entry.id == 0 ? IDC_STATIC : entry.id) << what;
      const Kind kind = KindOf(entry);
      EXPECT_STRCASEEQ(ClassOf(control).c_str(), kind.windowClass) << what;
      EXPECT_EQ(GetWindowLongW(control, GWL_STYLE) & kind.styleMask, kind.style) << what;
      EXPECT_EQ(IsWindowVisible(control) != FALSE, ShownAfterInitialisation(entry.id)) << what;
      if (entry.kind != TemplateControlKind::ComboBox) {
        EXPECT_EQ(TextOf(control), entry.caption) << what;
      }
      if (entry.kind == TemplateControlKind::CheckBox || entry.kind == TemplateControlKind::RadioButton) {
        EXPECT_EQ(SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED, CheckedAfterInitialisation(entry.id))
            << what;
      }
      const RECT expected = UnitsToPixels(dialog, entry.x, entry.y, entry.width, entry.height);
      RECT place = PlaceOf(control);
      if (entry.kind == TemplateControlKind::ComboBox) {
        // The layout's height is room for the dropped-down list, which the
        // box fits to its entries; closed, the box is one field high.
        EXPECT_LT(place.bottom, expected.bottom) << what;
        place.bottom = expected.bottom;
      }
      EXPECT_EQ(Corners(place), Corners(expected)) << what;
    }

    // The created bitmap buttons, in pixels, the size of their bitmaps, with
    // the logo right of the COM port box above the message list and the
    // Update button in the left column between the language box and the
    // progress bar.
    HWND logo = run.Control(ControlId::kLogoButton);
    HWND update = run.Control(ControlId::kUpdateButton);
    EXPECT_EQ(Corners(PlaceOf(logo)), "220,15 339,56");
    EXPECT_EQ(Corners(PlaceOf(update)), "30,150 130,190");
    for (HWND button : {logo, update}) {
      EXPECT_EQ(GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
      EXPECT_TRUE(IsWindowVisible(button));
    }
    EXPECT_EQ(TextOf(logo), "Red. Fan Speed");
    const RECT comBox = PlaceOf(made[0]);
    const RECT languageBox = PlaceOf(made[2]);
    const RECT list = PlaceOf(run.Control(ControlId::kMessageList));
    const RECT progress = PlaceOf(run.Control(ControlId::kProgressBar));
    EXPECT_GE(PlaceOf(logo).left, comBox.right);
    EXPECT_LE(PlaceOf(logo).bottom, list.top);
    EXPECT_GE(PlaceOf(update).top, languageBox.bottom);
    EXPECT_LE(PlaceOf(update).bottom, progress.top);
    EXPECT_LE(PlaceOf(update).right, list.left);

    // The texts and selections: English, the ports the probe found through
    // wine (COM5 and COM6, mapped to pseudo-terminals), the fixed edition.
    EXPECT_EQ(LinesOf(run.Control(ControlId::kMessageList)), kEnglishInstructions);
    const std::pair<int, Lines> selectors[] = {{ControlId::kLanguageSelector, {"English", "Deutsch", "Francais"}},
                                               {ControlId::kComPortSelector, {"COM5", "COM6"}},
                                               {ControlId::kCustomerEditionSelector, {"Standard"}}};
    for (const auto& [id, entries] : selectors) {
      EXPECT_EQ(EntriesOf(run.Control(id)), entries) << "selector " << id;
      EXPECT_EQ(SendMessageW(run.Control(id), CB_GETCURSEL, 0, 0), 0) << "selector " << id;
    }
  });
  // The start-up Update's worker asked for the port during the
  // initialisation and was answered after it, with the first port found.
  startUpWorker.join();
  EXPECT_EQ(portSeenByTheStartUpUpdate, "COM5");
}

TEST(Win32MainWindow, AChosenLanguageRefillsTheLinesAndLaterTextsComeInItWithTheirUmlauts) {
  RunWin32Window(Settings(), [](Win32WindowRun& run) {
    HWND list = run.Control(ControlId::kMessageList);
    ChooseLanguage(run, 1);
    EXPECT_EQ(LinesOf(list), kGermanInstructions);
    std::thread worker([&run] { AppendMessageAndShow(run.window, 149); });
    worker.join();
    // What the list box holds, in UTF-16 as Windows shows it.
    wchar_t shown[64] = {};
    SendMessageW(list, LB_GETTEXT, 3, reinterpret_cast<LPARAM>(shown));
    EXPECT_STREQ(shown, L"Pr\u00fcfsummenfehler!");

    ChooseLanguage(run, 2);
    EXPECT_EQ(LinesOf(list).front(), "1. Coupez l'alimentation principale de l'appareil");
    EXPECT_EQ(LinesOf(list).size(), 3u);
    // The About entry keeps the text it got at start-up.
    EXPECT_EQ(run.window.AboutEntryText(), "&About Tessaramond...");
  });
}

TEST(Win32MainWindow, TheSystemMenuEndsWithTheAboutEntryThatOpensTheAboutBox) {
  RunWin32Window(Settings(), [](Win32WindowRun& run) {
    HMENU menu = GetSystemMenu(run.dialog, FALSE);
    const int count = GetMenuItemCount(menu);
    ASSERT_GE(count, 2);
    MENUITEMINFOW separator{};
    separator.cbSize = sizeof separator;
    separator.fMask = MIIM_FTYPE;
    GetMenuItemInfoW(menu, static_cast<UINT>(count - 2), TRUE, &separator);
    EXPECT_TRUE(separator.fType & MFT_SEPARATOR);
    EXPECT_EQ(GetMenuItemID(menu, count - 1), static_cast<UINT>(IDM_ABOUTBOX));
    wchar_t entry[64] = {};
    GetMenuStringW(menu, static_cast<UINT>(count - 1), entry, 64, MF_BYPOSITION);
    EXPECT_STREQ(entry, L"&About Tessaramond...");

    PostMessageW(run.dialog, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    HWND box = run.hooks.NextBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(GetWindow(box, GW_OWNER), run.dialog);
    EXPECT_EQ(TextOf(box), "About Quendraflox");
    EXPECT_EQ(TextOf(GetDlgItem(box, IDC_ABOUT_VERSION_LINE)), "Quendraflox Version 5.2");
    EXPECT_EQ(TextOf(GetDlgItem(box, IDC_ABOUT_FILE_VERSION_LINE)), "File version " TESSARAMOND_VERSION);
    HWND ok = GetDlgItem(box, IDOK);
    EXPECT_EQ(Corners(PlaceOf(ok)), Corners(UnitsToPixels(box, 178, 7, 50, 14)));
    EXPECT_EQ(GetWindowLongW(ok, GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    SendMessageW(ok, BM_CLICK, 0, 0);
    // Closed, the box leaves the window taking its events again.
    EXPECT_TRUE(run.hooks.PostAndWait(FocusOf(run), WM_KEYDOWN, VK_DOWN, 1, run.dialog));
    EXPECT_FALSE(IsWindow(box));
    EXPECT_TRUE(IsWindowEnabled(run.dialog));
  });
}

TEST(Win32MainWindow, TheProgramsVersionInformationCarriesTheProjectVersion) {
  const std::wstring program = (ExecutableDirectory() / "tessaramond.exe").wstring();
  std::vector<char> information(GetFileVersionInfoSizeW(program.c_str(), nullptr));
  ASSERT_TRUE(GetFileVersionInfoW(program.c_str(), 0, static_cast<DWORD>(information.size()), information.data()));
  const auto value = [&information](const wchar_t* name) {
    void* found = nullptr;
    UINT length = 0;
    return VerQueryValueW(information.data(), name, &found, &length) ? found : nullptr;
  };
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value(L"\\"));
  ASSERT_NE(fixed, nullptr);
  const std::string numbers = std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
                              std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
                              std::to_string(HIWORD(fixed->dwFileVersionLS)) + "." +
                              std::to_string(LOWORD(fixed->dwFileVersionLS));
  EXPECT_EQ(numbers, TESSARAMOND_VERSION);
  std::string text = numbers;
  for (std::size_t at = text.find('.'); at != std::string::npos; at = text.find('.', at)) text.replace(at, 1, ", ");
  for (const wchar_t* name : {L"\\StringFileInfo\\040904B0\\FileVersion", L"\\StringFileInfo\\040904B0\\ProductVersion"}) {
    const auto* shown = static_cast<const wchar_t*>(value(name));
    EXPECT_EQ(shown != nullptr ? Utf8FromWide(shown) : "(none)", text);
  }
}

TEST(Win32MainWindow, TheCloseLockRefusesEveryWayOutWithABeepAndEscCallsAWaitOff) {
  RunWin32Window(Settings(), [](Win32WindowRun& run) {
    std::thread([&run] { run.window.EnableControl(ControlId::kCancel, false); }).join();

    // Esc through the dialog manager; Close in the system menu, the close box
    // and Alt+F4 all come as SC_CLOSE; another program's WM_CLOSE.
    EXPECT_TRUE(run.hooks.PostAndWait(FocusOf(run), WM_KEYDOWN, VK_ESCAPE, 1, run.dialog));
    EXPECT_TRUE(run.hooks.PostAndWait(run.dialog, WM_SYSCOMMAND, SC_CLOSE, 0, run.dialog));
    EXPECT_TRUE(run.hooks.PostAndWait(run.dialog, WM_CLOSE, 0, 0, run.dialog));
    EXPECT_EQ(run.window.BeepCount(), 3);
    EXPECT_EQ(run.ended.wait_for(0s), std::future_status::timeout);
    EXPECT_TRUE(IsWindowVisible(run.dialog));

    {
      // A dialogue waits for the oven's ready sign: Esc calls it off.
      CancelRequest::Wait wait(theCancelRequest);
      EXPECT_TRUE(run.hooks.PostAndWait(FocusOf(run), WM_KEYDOWN, VK_ESCAPE, 1, run.dialog));
      EXPECT_TRUE(theCancelRequest.Take());
    }
    EXPECT_EQ(run.window.BeepCount(), 3);

    std::thread([&run] { run.window.EnableControl(ControlId::kCancel, true); }).join();
    // The window ends, so nothing is left to take a marker behind the key.
    PostMessageW(FocusOf(run), WM_KEYDOWN, VK_ESCAPE, 1);
    EXPECT_EQ(run.ended.wait_for(10s), std::future_status::ready);
  });
}

TEST(Win32MainWindow, AWorkersRequestsAreCarriedOutByTheWindowsThreadAndReturnOnceDone) {
  RunWin32Window(Settings(), [](Win32WindowRun& run) {
    HWND list = run.Control(ControlId::kMessageList);
    HWND progress = run.Control(ControlId::kProgressBar);
    std::atomic<bool> boxReturned{false};
    std::thread worker([&] {
      MainWindow& window = run.window;
      EXPECT_EQ(window.SelectedPortName(), "COM5");
      EXPECT_FALSE(window.IsLumoChecked());
      EXPECT_EQ(window.LoadLocalizedText(153), kEnglishInstructions[0]);

      window.ClearLines();
      EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 0);
      for (int line = 1; line <= 20; ++line) AppendAndShow(window, "line " + std::to_string(line));
      // The newest line is in view.
      const auto last = static_cast<WPARAM>(SendMessageW(list, LB_GETCOUNT, 0, 0) - 1);
      RECT lastLine{};
      RECT shown{};
      SendMessageW(list, LB_GETITEMRECT, last, reinterpret_cast<LPARAM>(&lastLine));
      GetClientRect(list, &shown);
      EXPECT_GT(SendMessageW(list, LB_GETTOPINDEX, 0, 0), 0);
      EXPECT_TRUE(GetWindowLongW(list, GWL_STYLE) & WS_VSCROLL);
      EXPECT_LE(lastLine.bottom, shown.bottom);

      window.SetProgressRange(0, 512);
      window.SetProgressPosition(600);
      EXPECT_EQ(SendMessageW(progress, PBM_GETRANGE, FALSE, 0), 512);
      EXPECT_EQ(SendMessageW(progress, PBM_GETPOS, 0, 0), 512);

      window.EnableControl(ControlId::kUpdateButton, false);
      EXPECT_FALSE(IsWindowEnabled(run.Control(ControlId::kUpdateButton)));

      window.ShowMessageBox("Fehler beim Öffnen der Sprachen-Datei Flash/flash_Std.bin", MessageBoxIcon::Error);
      boxReturned = true;
      window.ShowMessageBox("Update ok!!!", MessageBoxIcon::Information);
    });

    for (const wchar_t* expected : {L"Fehler beim \u00d6ffnen der Sprachen-Datei Flash/flash_Std.bin", L"Update ok!!!"}) {
      HWND box = run.hooks.NextBox();
      ASSERT_NE(box, nullptr);
      EXPECT_EQ(GetWindow(box, GW_OWNER), run.dialog);
      EXPECT_EQ(TextOf(box), "Tessaramond");
      wchar_t text[128] = {};
      GetDlgItemTextW(box, 0xFFFF, text, 128);
      EXPECT_STREQ(text, expected);
      // The worker waits while the box is open.
      EXPECT_EQ(boxReturned.load(), expected[0] != L'F');
      SendMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    }
    worker.join();
  });
}

// As a technician meets the selector: the closed box names the port, the
// list that drops down shows what each port is, and the list is made anew as
// it opens.
TEST(Win32MainWindow, ThePortListShowsWhatEachPortIsAndIsMadeAnewAsItOpens) {
  const FoundPort com4{"COM4", "COM4"};
  const FoundPort com5{"COM5", "COM5", "USB Serial Port (COM5)"};
  std::mutex probed;
  PortProbeResult present{{com4, com5}, {}};
  MainWindowSettings settings = Settings();
  settings.portProbe = [&] {
    const std::lock_guard lock(probed);
    return present;
  };
  RunWin32Window(std::move(settings), [&](Win32WindowRun& run) {
    HWND ports = run.Control(ControlId::kComPortSelector);
    SendMessageW(ports, CB_SETCURSEL, 1, 0);
    {
      // An adapter plugged in while the window was open.
      const std::lock_guard lock(probed);
      present.usablePorts.insert(present.usablePorts.begin(), {"COM3", "COM3"});
    }
    SendMessageW(ports, CB_SHOWDROPDOWN, TRUE, 0);
    COMBOBOXINFO parts{};
    parts.cbSize = sizeof parts;
    ASSERT_TRUE(GetComboBoxInfo(ports, &parts));
    EXPECT_TRUE(IsWindowVisible(parts.hwndList));
    EXPECT_EQ(EntriesOf(ports), (Lines{"COM3", "COM4", "COM5"}));
    EXPECT_EQ(SendMessageW(ports, CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(TextOf(ports), "COM5");

    // The list as it draws itself: the adapter's line shows its description,
    // and the list is wide enough for it; the plain port's line ends at its
    // name.
    RECT client{};
    GetClientRect(parts.hwndList, &client);
    HDC screen = GetDC(parts.hwndList);
    HDC drawn = CreateCompatibleDC(screen);
    HBITMAP canvas = CreateCompatibleBitmap(screen, client.right, client.bottom);
    const HGDIOBJ previous = SelectObject(drawn, canvas);
    const HGDIOBJ font = SelectObject(drawn, reinterpret_cast<HFONT>(SendMessageW(ports, WM_GETFONT, 0, 0)));
    SIZE adapterLine{};
    SIZE name{};
    GetTextExtentPoint32W(drawn, L"COM5 \u2014 USB Serial Port (COM5)", 29, &adapterLine);
    GetTextExtentPoint32W(drawn, L"COM5", 4, &name);
    SelectObject(drawn, font);
    EXPECT_GT(SendMessageW(ports, CB_GETDROPPEDWIDTH, 0, 0), adapterLine.cx);
    EXPECT_GT(client.right, adapterLine.cx);
    SendMessageW(parts.hwndList, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(drawn), PRF_CLIENT | PRF_ERASEBKGND);
    const auto inkPast = [&](int index) {
      RECT line{};
      SendMessageW(parts.hwndList, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&line));
      const COLORREF ground = GetPixel(drawn, line.right - 1, (line.top + line.bottom) / 2);
      for (int y = line.top; y < line.bottom; ++y) {
        for (int x = line.left + name.cx + 10; x < line.right; ++x) {
          const COLORREF ink = GetPixel(drawn, x, y);
          if (std::abs(GetRValue(ink) + GetGValue(ink) + GetBValue(ink) - GetRValue(ground) - GetGValue(ground) -
                       GetBValue(ground)) > 288) {
            return true;
          }
        }
      }
      return false;
    };
    EXPECT_TRUE(inkPast(2));
    EXPECT_FALSE(inkPast(1));
    SelectObject(drawn, previous);
    DeleteObject(canvas);
    DeleteDC(drawn);
    ReleaseDC(parts.hwndList, screen);

    SendMessageW(ports, CB_SHOWDROPDOWN, FALSE, 0);
    EXPECT_EQ(TextOf(ports), "COM5");
  });
}
