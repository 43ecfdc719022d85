// Child controls of the program's dialog-like windows (the Send and Email
// Server windows): made at 96-DPI positions in the program's fonts, with
// their tips in a shared tooltip control.
#pragma once
#include <windows.h>

#include <string>

// Adds `tip` for `control`, a child of `owner`, to `tooltip` (nothing when
// any of them is missing).
void AddControlTip(HWND tooltip, HWND owner, HWND control, const wchar_t* tip);
// Takes the tips of all of `owner`'s children out of `tooltip`, before the
// window goes.
void RemoveControlTips(HWND tooltip, HWND owner);
// A child control of `parent` at a rectangle given at 96 DPI, in `font` (the
// normal font when null), with its tip; null when it could not be made.
HWND MakeChildControl(HWND parent, HWND tooltip, const wchar_t* cls, const wchar_t* text, DWORD style, DWORD exStyle,
                      int x, int y, int w, int h, int id, const wchar_t* tip, HFONT font = nullptr);
// WM_CTLCOLORSTATIC of a status line: `colour` on the window's button-face
// background; the brush to return.
LRESULT StatusLineColours(HDC dc, COLORREF colour);
// WM_ERASEBKGND of a dialog-like window: the button face everywhere; 1.
LRESULT EraseToButtonFace(HWND window, HDC dc);
// A control's whole text (empty for none).
std::wstring WindowText(HWND control);
