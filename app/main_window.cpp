#include "app/main_window.h"

#include <windowsx.h>

#include <algorithm>

#include "app/app_state.h"
#include "app/commands.h"
#include "app/ribbon.h"
#include "app/settings_tab.h"
#include "app/settings.h"
#include "engine/document_open.h"
#include "engine/worker_messages.h"
#include "view/page_view.h"

void HandleCommand(HWND window, unsigned short id) {
  if (g_app.printing || g_app.saving) return;
  switch (id) {
    case CMD_OPEN:
      OpenWithDialog(window);
      break;
    case CMD_CLOSE:
      CloseWithConfirmation();
      break;
    case CMD_EXIT:
      PostMessageW(window, WM_CLOSE, 0, 0);
      break;
    // --- Page view: page navigation, zoom and rotation.
    case CMD_PREV_PAGE:
    case CMD_NEXT_PAGE:
    case CMD_FIRST_PAGE:
    case CMD_LAST_PAGE:
    case CMD_GOTO_PAGE:
    case CMD_ZOOM_IN:
    case CMD_ZOOM_OUT:
    case CMD_ACTUAL_SIZE:
    case CMD_FIT_WIDTH:
    case CMD_FIT_PAGE:
    case CMD_ROTATE_LEFT:
    case CMD_ROTATE_RIGHT:
      PageViewCommand(window, id);
      break;
    default:
      // Commands of features that are not part of this build do nothing.
      break;
  }
}

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      g_app.mainWindow = window;
      // --- Ribbon: the main window's tooltip control (it serves the
      // Settings-tab controls), then the ribbon with those controls.
      CreateRibbon(window, CreateTooltipControl(window, -1));
      // --- Page view.
      CreatePageView(window);
      return 0;
    case WM_SIZE:
      // --- Ribbon at the top, full width.
      if (HWND ribbon = RibbonWindow()) MoveWindow(ribbon, 0, 0, LOWORD(lParam), RibbonHeight(), TRUE);
      // --- Page view below the ribbon, down to the status bar.
      if (g_app.pageView && wParam != SIZE_MINIMIZED) {
        const int top = RibbonWindow() ? RibbonHeight() : 0;
        RECT bar = {};
        HWND status = FindWindowExW(window, nullptr, L"msctls_statusbar32", nullptr);
        const int bottom = status && GetWindowRect(status, &bar) ? bar.bottom - bar.top : 0;
        MoveWindow(g_app.pageView, 0, top, LOWORD(lParam), std::max(HIWORD(lParam) - top - bottom, 0), TRUE);
      }
      return 0;
    case WM_SETFOCUS:
      // --- The keyboard goes to the page view.
      if (g_app.pageView) SetFocus(g_app.pageView);
      return 0;
    case WM_MOUSEWHEEL: {
      // --- Over the ribbon the wheel turns its tabs.
      POINT p = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      RECT r;
      HWND ribbon = RibbonWindow();
      if (ribbon && GetWindowRect(ribbon, &r) && PtInRect(&r, p)) return SendMessageW(ribbon, message, wParam, lParam);
      // --- Elsewhere the page view takes it (it passes it on to the page panel).
      if (g_app.pageView) return SendMessageW(g_app.pageView, message, wParam, lParam);
      break;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      FillRect(dc, &ps.rcPaint, GetSysColorBrush(COLOR_APPWORKSPACE));
      EndPaint(window, &ps);
      return 0;
    }
    case WM_COMMAND: {
      unsigned code = HIWORD(wParam);
      // --- Settings-tab controls: stored and applied at once.
      if (IsSettingsTabControl(LOWORD(wParam))) {
        HandleSettingsTabCommand(window, LOWORD(wParam), int(code), reinterpret_cast<HWND>(lParam));
        return 0;
      }
      if (code == 0 || code == 1) HandleCommand(window, LOWORD(wParam));
      return 0;
    }
    case WM_CLOSE:
      if (g_app.printing || g_app.saving) return 0;
      if (!ConfirmUnsavedChanges()) return 0;
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      RememberLastPage();
      if (!g_app.placedByAt) {
        WINDOWPLACEMENT wp = {sizeof(wp)};
        if (GetWindowPlacement(window, &wp)) WriteWindowPlacement(wp);
      }
      PostQuitMessage(0);
      return 0;
  }
  if (HandleWorkerMessage(message, lParam)) return 0;
  return DefWindowProcW(window, message, wParam, lParam);
}
