#include "Win32BitmapButton.h"

namespace {

HBITMAP LoadFace(HINSTANCE instance, int bitmapId) {
  return static_cast<HBITMAP>(LoadImageW(instance, MAKEINTRESOURCEW(bitmapId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

}  // namespace

Win32BitmapButton::~Win32BitmapButton() { Release(); }

void Win32BitmapButton::Create(HWND dialog, HINSTANCE instance, int controlId, const wchar_t* caption,
                               POINT topLeft, Faces faces, bool tabStop) {
  Release();
  up_ = LoadFace(instance, faces.upBitmap);
  other_ = faces.otherBitmap != 0 ? LoadFace(instance, faces.otherBitmap) : nullptr;
  BITMAP size{};
  if (up_ != nullptr) GetObjectW(up_, sizeof size, &size);
  const DWORD style = WS_CHILD | WS_VISIBLE | BS_OWNERDRAW | (tabStop ? WS_TABSTOP : 0);
  button_ = CreateWindowExW(0, L"Button", caption, style, topLeft.x, topLeft.y, size.bmWidth, size.bmHeight, dialog,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)), instance, nullptr);
}

bool Win32BitmapButton::Draw(const DRAWITEMSTRUCT& item) const {
  if (button_ == nullptr || item.hwndItem != button_) return false;
  const bool otherFace = (item.itemState & (ODS_SELECTED | ODS_FOCUS | ODS_DISABLED)) != 0;
  HBITMAP face = otherFace && other_ != nullptr ? other_ : up_;
  if (face == nullptr) return true;
  BITMAP size{};
  GetObjectW(face, sizeof size, &size);
  HDC memory = CreateCompatibleDC(item.hDC);
  HGDIOBJ previous = SelectObject(memory, face);
  BitBlt(item.hDC, item.rcItem.left, item.rcItem.top, size.bmWidth, size.bmHeight, memory, 0, 0, SRCCOPY);
  SelectObject(memory, previous);
  DeleteDC(memory);
  return true;
}

void Win32BitmapButton::Release() {
  if (up_ != nullptr) DeleteObject(up_);
  if (other_ != nullptr) DeleteObject(other_);
  up_ = nullptr;
  other_ = nullptr;
  button_ = nullptr;
}
