#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The COM port selector, a drop-down combo box whose list is owner-drawn and
// keeps its strings: an entry's string is the port's short name, which the
// closed box shows and the program reads, while the dropped-down list shows
// the text given for it (the port and what it is) and is as wide as its
// longest text. The dialog passes its WM_MEASUREITEM and WM_DRAWITEM on.
class Win32PortSelector {
 public:
  // The combo box, once the dialog has made it. Its closed box is made as
  // high as that of `sameHeight`, a combo box that draws itself: an
  // owner-drawn one is measured before the dialog's font is set.
  void Attach(HWND combo, HWND sameHeight);

  void Add(const std::wstring& name, const std::wstring& listText);
  void Clear();

  // One line of the dialog's font per entry of the list. Comes while the
  // dialog makes its controls, before there is a view: hence static. False
  // when `item` is another control's or the closed box's.
  static bool Measure(HWND dialog, MEASUREITEMSTRUCT& item);
  // Draws an entry, black on white or highlighted; false when `item` is
  // another control's.
  bool Draw(const DRAWITEMSTRUCT& item) const;

 private:
  void FitListWidth();

  HWND combo_ = nullptr;
  std::vector<std::wstring> listTexts_;
};
