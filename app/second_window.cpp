#include "app/second_window.h"

#include <shellapi.h>

#include <cwchar>

#include "app/app_state.h"
#include "app/startup.h"
#include "app/status_bar.h"
#include "base/win_util.h"
#include "doc/document_open.h"
#include "pages/page_panel.h"
#include "ui/file_dialog.h"

void SplitWorkArea(int left, int top, int width, int height, IntRect& mine, IntRect& second) {
  const int half = width / 2;
  mine = {left, top, half, height};
  second = {left + half, top, width - half, height};
}

std::wstring SecondWindowParameters(const IntRect& at, const std::wstring& path) {
  wchar_t head[64];
  std::swprintf(head, 64, L"/at %d,%d,%d,%d ", at.x, at.y, at.w, at.h);
  return std::wstring(head) + L"\"" + path + L"\"";
}

void OpenSecondWindow(HWND main) {
  std::wstring path = PickPdfFile(main, L"Open a second PDF beside this one");
  if (path.empty()) return;
  MONITORINFO info = {sizeof(info)};
  if (!GetMonitorInfoW(MonitorFromWindow(main, MONITOR_DEFAULTTONEAREST), &info)) return;
  const RECT& work = info.rcWork;
  IntRect mine, second;
  SplitWorkArea(work.left, work.top, work.right - work.left, work.bottom - work.top, mine, second);
  std::wstring parameters = SecondWindowParameters(second, path);
  std::wstring program = ProgramPath();
  HINSTANCE started = ShellExecuteW(main, L"open", program.c_str(), parameters.c_str(), nullptr, SW_SHOWNORMAL);
  if (reinterpret_cast<INT_PTR>(started) <= 32) {
    MessageBoxW(main, L"Folivex couldn't start a second window.", L"Folivex", MB_OK | MB_ICONWARNING);
    return;
  }
  if (IsZoomed(main)) ShowWindow(main, SW_RESTORE);
  PlaceWindowByFrame(main, mine.x, mine.y, mine.w, mine.h);
  // Pages are dragged between the two panels.
  if (!PagePanelVisible()) ShowPagePanel(true);
  ShowStatusMessage(
      L"Drag a page from one window's page panel into the other's to copy it. Hold Shift to move it instead.");
}
