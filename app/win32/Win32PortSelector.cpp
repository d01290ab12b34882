#include "Win32PortSelector.h"

#include <algorithm>

#include "ControlId.h"

namespace {

// Space between the list's edge and an entry's text.
constexpr int kTextMargin = 2;

bool IsPortSelector(UINT controlType, UINT controlId) {
  return controlType == ODT_COMBOBOX && controlId == static_cast<UINT>(ControlId::kComPortSelector);
}

}  // namespace

void Win32PortSelector::Attach(HWND combo, HWND sameHeight) {
  combo_ = combo;
  const LRESULT height = SendMessageW(sameHeight, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
  if (height > 0) SendMessageW(combo_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), height);
}

void Win32PortSelector::Add(const std::wstring& name, const std::wstring& listText) {
  SendMessageW(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
  listTexts_.push_back(listText);
  FitListWidth();
}

void Win32PortSelector::Clear() {
  SendMessageW(combo_, CB_RESETCONTENT, 0, 0);
  listTexts_.clear();
  FitListWidth();
}

bool Win32PortSelector::Measure(HWND dialog, MEASUREITEMSTRUCT& item) {
  if (!IsPortSelector(item.CtlType, item.CtlID) || item.itemID == static_cast<UINT>(-1)) return false;
  HDC dc = GetDC(dialog);
  const HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)));
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, previous);
  ReleaseDC(dialog, dc);
  // As high as the lines of a list box that draws itself in that font.
  item.itemHeight = static_cast<UINT>(metrics.tmHeight);
  return true;
}

bool Win32PortSelector::Draw(const DRAWITEMSTRUCT& item) const {
  if (!IsPortSelector(item.CtlType, item.CtlID)) return false;
  const bool highlighted = (item.itemState & ODS_SELECTED) != 0;
  FillRect(item.hDC, &item.rcItem,
           highlighted ? GetSysColorBrush(COLOR_HIGHLIGHT) : static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  const auto index = static_cast<std::size_t>(item.itemID);
  if (item.itemID != static_cast<UINT>(-1) && index < listTexts_.size()) {
    std::wstring text = listTexts_[index];
    if ((item.itemState & ODS_COMBOBOXEDIT) != 0) {
      // The closed box's own field, where a style draws one: the name only.
      text.resize(static_cast<std::size_t>(SendMessageW(combo_, CB_GETLBTEXTLEN, item.itemID, 0)));
      SendMessageW(combo_, CB_GETLBTEXT, item.itemID, reinterpret_cast<LPARAM>(text.data()));
    }
    const int saved = SaveDC(item.hDC);
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, highlighted ? GetSysColor(COLOR_HIGHLIGHTTEXT) : RGB(0, 0, 0));
    RECT place = item.rcItem;
    place.left += kTextMargin;
    DrawTextW(item.hDC, text.c_str(), static_cast<int>(text.size()), &place,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    RestoreDC(item.hDC, saved);
  }
  if ((item.itemState & ODS_FOCUS) != 0) DrawFocusRect(item.hDC, &item.rcItem);
  return true;
}

// Never narrower than the box itself, which the combo box sees to.
void Win32PortSelector::FitListWidth() {
  HDC dc = GetDC(combo_);
  const HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(combo_, WM_GETFONT, 0, 0)));
  LONG widest = 0;
  for (const std::wstring& text : listTexts_) {
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    widest = std::max(widest, size.cx);
  }
  SelectObject(dc, previous);
  ReleaseDC(combo_, dc);
  // The text's margins, the list's border and a scroll bar, which the list
  // shows when there are more ports than lines.
  const int width = static_cast<int>(widest) + 2 * kTextMargin + 2 * GetSystemMetrics(SM_CXEDGE) +
                    GetSystemMetrics(SM_CXVSCROLL);
  SendMessageW(combo_, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(width), 0);
}
