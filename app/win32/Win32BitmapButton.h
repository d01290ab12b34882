#pragma once

#include <windows.h>

// A push button drawn entirely from bitmaps and sized to them: one face when
// up, another when pressed, focused or disabled. It is owner-drawn: the
// dialog that holds it passes its WM_DRAWITEM on to Draw.
class Win32BitmapButton {
 public:
  struct Faces {
    int upBitmap;     // resource id
    int otherBitmap;  // resource id; 0 shows the up face in every state
  };

  Win32BitmapButton() = default;
  ~Win32BitmapButton();
  Win32BitmapButton(const Win32BitmapButton&) = delete;
  Win32BitmapButton& operator=(const Win32BitmapButton&) = delete;

  // Makes the button on `dialog` with its top-left corner at `topLeft`, in
  // pixels of the dialog's client area. `caption` is never drawn; it names
  // the button to screen readers.
  void Create(HWND dialog, HINSTANCE instance, int controlId, const wchar_t* caption, POINT topLeft, Faces faces,
              bool tabStop);

  // Draws the face for the state in `item`; false when `item` is another
  // control's.
  bool Draw(const DRAWITEMSTRUCT& item) const;

  // Releases the bitmaps, once the dialog is being destroyed.
  void Release();

 private:
  HWND button_ = nullptr;
  HBITMAP up_ = nullptr;
  HBITMAP other_ = nullptr;
};
