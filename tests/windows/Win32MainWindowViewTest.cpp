// The Win32 window under wine, on a display of its own and with COM5 and COM6
// mapped to pseudo-terminals: what the Win32 API makes of the resource script
// and of the view. What the window does behind it (which controls it hides and
// checks, the close lock's rule, the requests' order, the port list's
// selection) is tested through a fake view in tests/unit/window/MainWindowTest.cpp.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "CancelRequest.h"
#include "ControlId.h"
#include "MainWindow.h"
#include "MainWindowTemplate.h"
#include "WideText.h"
#include "Win32MainWindowView.h"
#include "Win32ResourceIds.h"

using namespace std::chrono_literals;

namespace {

using Lines = std::vector<std::string>;

std::string TextOf(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return Utf8FromWide(text);
}

// A list box's lines (LB_GETCOUNT, LB_GETTEXT) or a combo box's entries.
Lines ItemsOf(HWND control, UINT countMessage = LB_GETCOUNT, UINT textMessage = LB_GETTEXT) {
  Lines items;
  for (LRESULT i = 0, count = SendMessageW(control, countMessage, 0, 0); i < count; ++i) {
    wchar_t text[512] = {};
    SendMessageW(control, textMessage, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    items.push_back(Utf8FromWide(text));
  }
  return items;
}

// A control's place in pixels of its dialog's client area.
RECT PlaceOf(HWND control) {
  RECT place{};
  GetWindowRect(control, &place);
  MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&place), 2);
  return place;
}

// As the dialog manager places a control: its corner and size are each
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

// What `draw` paints on a white canvas of `width` by `height` pixels.
std::vector<COLORREF> Painted(int width, int height, const std::function<void(HDC)>& draw) {
  HDC screen = GetDC(nullptr);
  HDC canvas = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  ReleaseDC(nullptr, screen);
  const HGDIOBJ previous = SelectObject(canvas, bitmap);
  PatBlt(canvas, 0, 0, width, height, WHITENESS);
  draw(canvas);
  std::vector<COLORREF> pixels;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) pixels.push_back(GetPixel(canvas, x, y));
  }
  SelectObject(canvas, previous);
  DeleteObject(bitmap);
  DeleteDC(canvas);
  return pixels;
}

bool Within(const std::function<bool()>& done) {
  for (const auto end = std::chrono::steady_clock::now() + 10s; !done(); Sleep(20)) {
    if (std::chrono::steady_clock::now() > end) return false;
  }
  return true;
}

// A visible box that the window's own thread opened over the window.
HWND OpenBox(HWND dialog) {
  std::pair<HWND, HWND> search{dialog, nullptr};
  EnumThreadWindows(
      GetWindowThreadProcessId(dialog, nullptr),
      [](HWND candidate, LPARAM data) -> BOOL {
        auto& [owner, box] = *reinterpret_cast<std::pair<HWND, HWND>*>(data);
        if (GetWindow(candidate, GW_OWNER) != owner || !IsWindowVisible(candidate)) return TRUE;
        box = candidate;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.second;
}

struct WindowRun {
  MainWindow& window;
  HWND dialog;
  std::shared_future<void> ended;  // ready once the modal run has returned

  HWND Control(int id) const { return GetDlgItem(dialog, id); }
  HWND NextBox() const {
    HWND box = nullptr;
    Within([&] { return (box = OpenBox(dialog)) != nullptr; });
    return box;
  }
  // Keys as the technician types them go to the focus, through the dialog manager.
  void PostKey(WPARAM key) const {
    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &thread);
    PostMessageW(thread.hwndFocus != nullptr ? thread.hwndFocus : dialog, WM_KEYDOWN, key, 1);
  }
};

// One modal run of the window on this thread while `technician` plays on
// another from the end of the initialisation (the port probe is its last
// step). The window is closed afterwards whatever state it was left in; one
// that then does not end fails the test program at once.
void RunWin32Window(const std::function<void(WindowRun&)>& technician, MainWindowSettings settings = {}) {
  if (settings.catalogueDirectory.empty()) settings.catalogueDirectory = CATALOGUE_DIR;
  settings.updateCommand = [](MainWindow&) {};
  std::promise<void> initialised;
  bool probed = false;  // on the window's thread only
  settings.portProbe = [probe = settings.portProbe ? settings.portProbe : ProbePorts, &initialised, &probed] {
    if (!std::exchange(probed, true)) initialised.set_value();
    return probe();
  };
  Win32MainWindowView view(GetModuleHandleW(nullptr));
  MainWindow window(view, std::move(settings));
  std::promise<void> ended;
  WindowRun run{window, nullptr, ended.get_future().share()};
  std::thread technicianThread([&, initialisedFuture = initialised.get_future()] {
    initialisedFuture.wait();
    run.dialog = view.Dialog();
    if (run.dialog == nullptr || run.ended.wait_for(0s) == std::future_status::ready) {
      ADD_FAILURE() << "the window did not run";
      return;
    }
    technician(run);
    if (run.ended.wait_for(0s) == std::future_status::ready) return;
    EnableWindow(run.Control(IDCANCEL), TRUE);
    PostMessageW(run.dialog, WM_CLOSE, 0, 0);
    if (run.ended.wait_for(20s) != std::future_status::ready) {
      std::fprintf(stderr, "The window did not end after the test; a box may still be open.\n");
      std::fflush(nullptr);
      std::_Exit(1);
    }
  });
  view.RunModal(window);
  ended.set_value();
  if (!probed) initialised.set_value();  // a window that never initialised
  technicianThread.join();
}

}  // namespace

TEST(Win32MainWindow, TheDialogIsBuiltFromItsTemplateInDialogUnitsBlackOnWhite) {
  RunWin32Window([](WindowRun& run) {
    HWND dialog = run.dialog;
    EXPECT_EQ(TextOf(dialog), kMainWindowCaption);
    EXPECT_EQ(GetWindowLongW(dialog, GWL_STYLE) & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX),
              WS_CAPTION | WS_SYSMENU);
    RECT client{};
    GetClientRect(dialog, &client);
    EXPECT_EQ(Corners(client), Corners(UnitsToPixels(dialog, 0, 0, kMainWindowWidthUnits, kMainWindowHeightUnits)));
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_EQ(Utf8FromWide(font.lfFaceName), "MS Sans Serif");
    HDC screen = GetDC(dialog);
    EXPECT_EQ(font.lfHeight, -MulDiv(kMainWindowFontPoints, GetDeviceCaps(screen, LOGPIXELSY), 72));

    // The template's controls in creation order, the created buttons aside.
    std::vector<HWND> made;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
      const int id = GetDlgCtrlID(child);
      if (id != ControlId::kLogoButton && id != ControlId::kUpdateButton) made.push_back(child);
    }
    const auto layout = MainWindowTemplate();
    ASSERT_EQ(made.size(), layout.size());
    const char* const classes[] = {"Button", "ComboBox", "ListBox", "msctls_progress32", "Button", "Button", "Button"};
    for (std::size_t i = 0; i < layout.size(); ++i) {
      const TemplateControl& entry = layout[i];
      SCOPED_TRACE(std::to_string(entry.id) + " \"" + entry.caption + "\"");
      EXPECT_EQ(GetDlgCtrlID(made[i]), entry.id == 0 ? IDC_STATIC : entry.id);
      wchar_t windowClass[64] = {};
      GetClassNameW(made[i], windowClass, 64);
      EXPECT_STRCASEEQ(Utf8FromWide(windowClass).c_str(), classes[static_cast<int>(entry.kind)]);
      const RECT expected = UnitsToPixels(dialog, entry.x, entry.y, entry.width, entry.height);
      RECT place = PlaceOf(made[i]);
      if (entry.kind == TemplateControlKind::ComboBox) {
        // The template's height is room for the dropped-down list; closed,
        // the box is one field high.
        EXPECT_LT(place.bottom, expected.bottom);
        place.bottom = expected.bottom;
      } else {
        EXPECT_EQ(TextOf(made[i]), entry.caption);
      }
      EXPECT_EQ(Corners(place), Corners(expected));
    }
    EXPECT_EQ(ItemsOf(run.Control(ControlId::kLanguageSelector), CB_GETCOUNT, CB_GETLBTEXT),
              Lines(std::begin(kLanguageEntries), std::end(kLanguageEntries)));
    // The created bitmap buttons, in pixels, the size of their bitmaps.
    EXPECT_EQ(Corners(PlaceOf(run.Control(ControlId::kLogoButton))), "220,15 339,56");
    EXPECT_EQ(Corners(PlaceOf(run.Control(ControlId::kUpdateButton))), "30,150 130,190");

    // Every part of the window is painted on one white brush of the window's own.
    const auto brush = [&](UINT message) {
      return reinterpret_cast<HBRUSH>(SendMessageW(dialog, message, reinterpret_cast<WPARAM>(screen),
                                                   reinterpret_cast<LPARAM>(made[0])));
    };
    LOGBRUSH white{};
    GetObjectW(brush(WM_CTLCOLORDLG), sizeof white, &white);
    EXPECT_EQ(white.lbColor, RGB(255, 255, 255));
    EXPECT_NE(brush(WM_CTLCOLORDLG), GetSysColorBrush(COLOR_WINDOW));
    // WM_CTLCOLORMSGBOX, EDIT, LISTBOX, BTN, DLG, SCROLLBAR and STATIC.
    for (UINT message = WM_CTLCOLORMSGBOX; message <= WM_CTLCOLORSTATIC; ++message) {
      EXPECT_EQ(brush(message), brush(WM_CTLCOLORDLG)) << std::hex << message;
    }
    ReleaseDC(dialog, screen);
  });
}

TEST(Win32MainWindow, TheUpdateButtonIsDrawnWith134WhenUpAnd136WhenPressedFocusedOrDisabled) {
  RunWin32Window([](WindowRun& run) {
    HWND update = run.Control(ControlId::kUpdateButton);
    EXPECT_EQ(GetWindowLongW(update, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
    RECT size{};
    GetClientRect(update, &size);
    const auto face = [&](int bitmapId) {
      return Painted(size.right, size.bottom, [&](HDC canvas) {
        const auto bitmap = LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(bitmapId), IMAGE_BITMAP, 0, 0, 0);
        DrawStateW(canvas, nullptr, nullptr, reinterpret_cast<LPARAM>(bitmap), 0, 0, 0, 0, 0, DST_BITMAP);
        DeleteObject(bitmap);
      });
    };
    ASSERT_NE(face(IDB_UPDATE_UP), face(IDB_UPDATE_GREYED));
    for (const auto& [state, bitmapId] : {std::pair<UINT, int>{0, IDB_UPDATE_UP}, {ODS_SELECTED, IDB_UPDATE_GREYED},
                                          {ODS_FOCUS, IDB_UPDATE_GREYED}, {ODS_DISABLED, IDB_UPDATE_GREYED}}) {
      const auto drawn = Painted(size.right, size.bottom, [&](HDC canvas) {
        DRAWITEMSTRUCT item{ODT_BUTTON, ControlId::kUpdateButton, 0, ODA_DRAWENTIRE, state, update, canvas, size, 0};
        SendMessageW(run.dialog, WM_DRAWITEM, ControlId::kUpdateButton, reinterpret_cast<LPARAM>(&item));
      });
      EXPECT_TRUE(drawn == face(bitmapId)) << "state " << state << " is not drawn as bitmap " << bitmapId;
    }
  });
}

TEST(Win32MainWindow, TheSystemMenuEndsWithTheAboutEntryThatOpensTheAboutBoxAndHasNoneWithoutItsText) {
  for (const char* catalogues : {CATALOGUE_DIR, CATALOGUE_WITHOUT_ABOUT_DIR}) {
    SCOPED_TRACE(catalogues);
    const bool withAbout = catalogues == std::string(CATALOGUE_DIR);
    RunWin32Window(
        [withAbout](WindowRun& run) {
          HMENU menu = GetSystemMenu(run.dialog, FALSE);
          const int last = GetMenuItemCount(menu) - 1;
          EXPECT_EQ(GetMenuItemID(menu, last), static_cast<UINT>(withAbout ? IDM_ABOUTBOX : IDM_RECORDS_FOLDER));
          EXPECT_TRUE(GetMenuState(menu, static_cast<UINT>(last - 1), MF_BYPOSITION) & MF_SEPARATOR);
          if (!withAbout) return;
          wchar_t entry[64] = {};
          GetMenuStringW(menu, static_cast<UINT>(last), entry, 64, MF_BYPOSITION);
          EXPECT_STREQ(entry, L"&About Tessaramond...");

          PostMessageW(run.dialog, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
          HWND box = run.NextBox();
          ASSERT_NE(box, nullptr);
          EXPECT_EQ(TextOf(box), "About Quendraflox");
          EXPECT_EQ(TextOf(GetDlgItem(box, IDC_ABOUT_FILE_VERSION_LINE)), "File version " TESSARAMOND_VERSION);
          SendMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
          EXPECT_TRUE(Within([&] { return !IsWindow(box) && IsWindowEnabled(run.dialog); }));
        },
        {.catalogueDirectory = catalogues});
  }
}

TEST(Win32MainWindow, EveryWayOutGoesThroughTheCloseLock) {
  RunWin32Window([](WindowRun& run) {
    std::thread([&run] { run.window.EnableControl(ControlId::kCancel, false); }).join();
    // Esc (IDCANCEL from the dialog manager); the close box, Close in the
    // system menu and Alt+F4, which come as SC_CLOSE; another program's WM_CLOSE.
    run.PostKey(VK_ESCAPE);
    PostMessageW(run.dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    PostMessageW(run.dialog, WM_CLOSE, 0, 0);
    EXPECT_TRUE(Within([&] { return run.window.BeepCount() == 3; })) << run.window.BeepCount() << " refusals";
    {
      // A dialogue waits for the oven's ready sign: Esc calls it off.
      CancelRequest::Wait wait(theCancelRequest);
      run.PostKey(VK_ESCAPE);
      EXPECT_TRUE(Within([] { return theCancelRequest.Take(); }));
    }
    EXPECT_EQ(run.window.BeepCount(), 3);
    EXPECT_EQ(run.ended.wait_for(0s), std::future_status::timeout);

    std::thread([&run] { run.window.EnableControl(ControlId::kCancel, true); }).join();
    run.PostKey(VK_ESCAPE);
    EXPECT_EQ(run.ended.wait_for(10s), std::future_status::ready);
  });
}

TEST(Win32MainWindow, AWorkersRequestsAreCarriedOutByTheWindowsThreadAndItsBoxHoldsTheWorker) {
  RunWin32Window([](WindowRun& run) {
    // A language chosen as a technician does: the selection, then the dialog hears of it.
    HWND list = run.Control(ControlId::kMessageList);
    SendMessageW(run.Control(ControlId::kLanguageSelector), CB_SETCURSEL, 1, 0);
    SendMessageW(run.dialog, WM_COMMAND, MAKEWPARAM(ControlId::kLanguageSelector, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(run.Control(ControlId::kLanguageSelector)));
    EXPECT_EQ(ItemsOf(list).front(), "1. Hauptschalter des Geräts ausschalten");

    std::atomic<bool> boxReturned{false};
    std::thread worker([&] {
      EXPECT_EQ(run.window.SelectedPortName(), "COM5");
      run.window.ClearLines();
      for (int line = 1; line <= 20; ++line) run.window.AppendLine("Prüfsummenfehler " + std::to_string(line));
      run.window.SetProgressRange(0, 512);
      run.window.SetProgressPosition(600);
      run.window.EnableControl(ControlId::kUpdateButton, false);
      run.window.ShowMessageBox("Fehler beim Öffnen", MessageBoxIcon::Error);
      boxReturned = true;
    });
    HWND box = run.NextBox();
    if (box == nullptr) worker.detach();
    ASSERT_NE(box, nullptr) << "no box of the window's thread";
    wchar_t text[64] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 64);  // the id the system gives a message box's text
    EXPECT_STREQ(text, L"Fehler beim \u00d6ffnen");
    EXPECT_EQ(TextOf(box), "Tessaramond");
    EXPECT_FALSE(boxReturned);
    SendMessageW(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, L"Pr\u00fcfsummenfehler 1");
    EXPECT_GT(SendMessageW(list, LB_GETTOPINDEX, 0, 0), 0);  // the newest line is in view
    EXPECT_EQ(SendMessageW(run.Control(ControlId::kProgressBar), PBM_GETRANGE, FALSE, 0), 512);
    EXPECT_EQ(SendMessageW(run.Control(ControlId::kProgressBar), PBM_GETPOS, 0, 0), 512);
    EXPECT_FALSE(IsWindowEnabled(run.Control(ControlId::kUpdateButton)));
    SendMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    worker.join();
  });
}

// The list that drops down is made anew, as wide as its longest line, and
// draws each port with what it is; the closed box names the port.
TEST(Win32MainWindow, ThePortListIsMadeAnewAsItOpensAndShowsWhatEachPortIs) {
  std::mutex probed;
  PortProbeResult present{{{"COM4", "COM4"}, {"COM5", "COM5", "USB Serial Port (COM5)"}}, {}};
  const auto probe = [&] {
    const std::lock_guard lock(probed);
    return present;
  };
  RunWin32Window(
      [&](WindowRun& run) {
        HWND ports = run.Control(ControlId::kComPortSelector);
        EXPECT_TRUE(GetWindowLongW(ports, GWL_STYLE) & CBS_OWNERDRAWFIXED);
        SendMessageW(ports, CB_SETCURSEL, 1, 0);
        {
          const std::lock_guard lock(probed);  // an adapter plugged in meanwhile
          present.usablePorts.insert(present.usablePorts.begin(), {"COM3", "COM3"});
        }
        SendMessageW(ports, CB_SHOWDROPDOWN, TRUE, 0);
        EXPECT_EQ(ItemsOf(ports, CB_GETCOUNT, CB_GETLBTEXT), (Lines{"COM3", "COM4", "COM5"}));
        EXPECT_EQ(TextOf(ports), "COM5");

        const auto font = reinterpret_cast<HFONT>(SendMessageW(ports, WM_GETFONT, 0, 0));
        SIZE name{};
        SIZE adapterLine{};
        Painted(1, 1, [&](HDC canvas) {
          SelectObject(canvas, font);
          GetTextExtentPoint32W(canvas, L"COM5", 4, &name);
          GetTextExtentPoint32W(canvas, L"COM5 \u2014 USB Serial Port (COM5)", 29, &adapterLine);
        });
        EXPECT_GT(SendMessageW(ports, CB_GETDROPPEDWIDTH, 0, 0), adapterLine.cx);
        // Whether a line of the list, as the dialog draws it, shows ink past the port's name.
        const auto inkPast = [&](UINT index) {
          const auto pixels = Painted(300, 20, [&](HDC canvas) {
            SelectObject(canvas, font);
            DRAWITEMSTRUCT line{ODT_COMBOBOX, ControlId::kComPortSelector, index, ODA_DRAWENTIRE, 0, ports, canvas,
                                {0, 0, 300, 20}, 0};
            SendMessageW(run.dialog, WM_DRAWITEM, ControlId::kComPortSelector, reinterpret_cast<LPARAM>(&line));
          });
          for (std::size_t i = 0; i < pixels.size(); ++i) {
            if (static_cast<LONG>(i % 300) > name.cx + 10 && pixels[i] != RGB(255, 255, 255)) return true;
          }
          return false;
        };
        EXPECT_TRUE(inkPast(2));
        EXPECT_FALSE(inkPast(1));
      },
      {.portProbe = probe});
}
