#include "app/main_window.h"

#include <windowsx.h>

#include "app/app_state.h"
#include "app/commands.h"
#include "app/settings.h"
#include "engine/document_open.h"
#include "engine/worker_messages.h"

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
    default:
      // Commands of features that are not part of this build do nothing.
      break;
  }
}

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      g_app.mainWindow = window;
      return 0;
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
