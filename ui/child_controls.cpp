#include "ui/child_controls.h"

#include <commctrl.h>

#include "ui/ui_context.h"

namespace {

struct TipOwner {
  HWND tooltip;
  HWND owner;
};

BOOL CALLBACK RemoveTip(HWND child, LPARAM param) {
  const TipOwner* t = reinterpret_cast<const TipOwner*>(param);
  TOOLINFOW ti = {};
  ti.cbSize = sizeof(ti);
  ti.hwnd = t->owner;
  ti.uId = reinterpret_cast<UINT_PTR>(child);
  SendMessageW(t->tooltip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  return TRUE;
}

}  // namespace

void AddControlTip(HWND tooltip, HWND owner, HWND control, const wchar_t* tip) {
  if (!tooltip || !owner || !control || !tip) return;
  TOOLINFOW ti = {};
  ti.cbSize = sizeof(ti);
  ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  ti.hwnd = owner;
  ti.uId = reinterpret_cast<UINT_PTR>(control);
  ti.lpszText = const_cast<wchar_t*>(tip);
  SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

void RemoveControlTips(HWND tooltip, HWND owner) {
  if (!tooltip || !owner) return;
  TipOwner t = {tooltip, owner};
  EnumChildWindows(owner, RemoveTip, reinterpret_cast<LPARAM>(&t));
}

HWND MakeChildControl(HWND parent, HWND tooltip, const wchar_t* cls, const wchar_t* text, DWORD style, DWORD exStyle,
                      int x, int y, int w, int h, int id, const wchar_t* tip, HFONT font) {
  HWND control = CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, Scaled(x), Scaled(y), Scaled(w),
                                 Scaled(h), parent, reinterpret_cast<HMENU>(INT_PTR(id)), g_ui.instance, nullptr);
  if (!control) return nullptr;
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font ? font : g_ui.fontNormal), FALSE);
  AddControlTip(tooltip, parent, control, tip);
  return control;
}

LRESULT StatusLineColours(HDC dc, COLORREF colour) {
  SetTextColor(dc, colour);
  SetBkMode(dc, TRANSPARENT);
  return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

LRESULT EraseToButtonFace(HWND window, HDC dc) {
  RECT r;
  GetClientRect(window, &r);
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
  return 1;
}

std::wstring WindowText(HWND control) {
  if (!control) return std::wstring();
  const int length = GetWindowTextLengthW(control);
  std::wstring text(size_t(length) + 1, L'\0');
  const int got = GetWindowTextW(control, text.data(), length + 1);
  text.resize(size_t(got > 0 ? got : 0));
  return text;
}
