#include "app/main_window.h"

#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>

#include "app/app_state.h"
#include "app/cleanup.h"
#include "app/command_dispatch.h"
#include "app/notes_window.h"
#include "app/ribbon.h"
#include "app/second_window.h"
#include "app/settings_tab.h"
#include "app/startup.h"
#include "app/status_bar.h"
#include "base/win_util.h"
#include "doc/doc_hooks.h"
#include "doc/document.h"
#include "doc/document_open.h"
#include "doc/document_rules.h"
#include "doc/settings.h"
#include "doc/worker_messages.h"
#include "pages/page_panel.h"
#include "share/mail_window.h"
#include "share/send_job.h"
#include "share/send_window.h"
#include "ui/commands.h"
#include "ui/prompt_dialog.h"
#include "view/page_view.h"

namespace {

constexpr UINT_PTR kCleanupTimer = 3;
constexpr UINT kCleanupPeriodMs = 3000;
constexpr int kCleanupRuns = 5;
constexpr UINT kDroppedPathChars = 1040;

int g_cleanupRuns = 0;

RibbonFacts CurrentRibbonFacts() {
  RibbonFacts f;
  f.loaded = g_doc.loaded;
  if (g_doc.loaded) {
    f.positions = int(g_doc.pages.order.size());
    f.currentPosition = CurrentPage(g_doc.view);
    f.selectedPosition = g_doc.pages.selected;
    f.zoomMode = g_doc.view.zoomMode;
    f.zoomPercent = g_doc.view.zoomPercent;
    f.orderChanged = g_doc.pages.orderChanged;
    f.undoSteps = int(g_doc.pages.undoStack.size());
  }
  f.panelShown = PagePanelVisible();
  return f;
}

// Places the children: ribbon at the top, status bar at the bottom, the
// page view in between.
void LayOutChildren(HWND window) {
  RECT client = {};
  GetClientRect(window, &client);
  const int width = client.right, height = client.bottom;
  const int statusHeight = LayoutStatusBar();
  int y = 0;
  if (HWND ribbon = RibbonWindow()) {
    MoveWindow(ribbon, 0, 0, width, RibbonHeight(), TRUE);
    y = RibbonHeight();
  }
  const int remaining = std::max(height - y - statusHeight, 0);
  // The page panel along the right edge; the page view takes the rest.
  const int panelWidth = PagePanelWidthFor(width);
  if (HWND panel = PagePanelWindow()) MoveWindow(panel, width - panelWidth, y, panelWidth, remaining, TRUE);
  if (g_app.pageView) MoveWindow(g_app.pageView, 0, y, width - panelWidth, remaining, TRUE);
}

bool AskPasswordWithPrompt(HWND owner, bool again, std::wstring& typed) {
  return PromptText(owner, kPasswordCaption, PasswordPromptLine(again), true, L"", typed);
}

void OnCreate(HWND window) {
  g_app.mainWindow = window;
  ConnectShell();
  HWND tooltip = CreateTooltipControl(window, -1);
  CreateRibbon(window, tooltip);
  SetShareTooltip(tooltip);
  SetMailTooltip(tooltip);
  SetRibbonFactsSource(CurrentRibbonFacts);
  CreateStatusBar(window);
  g_app.pageView = CreatePageView(window);
  CreatePagePanel(window, g_settings.PagePanel != 0);
  PageViewHooks viewHooks;
  viewHooks.escape = PagePanelCancelDrag;
  SetPageViewHooks(viewHooks);
  DragAcceptFiles(window, TRUE);
  SetTimer(window, kCleanupTimer, kCleanupPeriodMs, nullptr);
}

void OnDropFiles(HWND window, HDROP drop) {
  if (!g_busy.printing && !g_busy.saving && DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) > 0) {
    // Only the first file counts. A path too long for the buffer is refused
    // rather than cut, which could name another file.
    UINT length = DragQueryFileW(drop, 0, nullptr, 0);
    if (length > 0 && length < kDroppedPathChars) {
      std::wstring path(length + 1, L'\0');
      DragQueryFileW(drop, 0, path.data(), length + 1);
      path.resize(length);
      if (ConfirmUnsavedChanges()) OpenDocument(path, L"");
    } else if (length >= kDroppedPathChars) {
      ShowStatusMessage(L"That file's path is too long to open.");
    }
  }
  DragFinish(drop);
  SetForegroundWindow(window);
}

void OnCleanupTimer(HWND window) {
  RunCleanup(ProgramPath(), TempFolder());
  if (++g_cleanupRuns >= kCleanupRuns) KillTimer(window, kCleanupTimer);
}

}  // namespace

void ConnectShell() {
  ShellHooks hooks;
  hooks.updateTitle = UpdateTitle;
  hooks.updateStatus = UpdateStatus;
  hooks.showMessage = ShowStatusMessage;
  hooks.askPassword = AskPasswordWithPrompt;
  SetShellHooks(hooks);
}

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      OnCreate(window);
      return 0;
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED) LayOutChildren(window);
      return 0;
    case WM_SETFOCUS:
      if (g_app.pageView) SetFocus(g_app.pageView);
      return 0;
    case WM_MOUSEWHEEL: {
      // Over the ribbon the wheel turns its tabs; elsewhere the page view
      // takes it.
      POINT p = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      RECT r;
      HWND ribbon = RibbonWindow();
      if (ribbon && GetWindowRect(ribbon, &r) && PtInRect(&r, p)) return SendMessageW(ribbon, message, wParam, lParam);
      if (g_app.pageView) return SendMessageW(g_app.pageView, message, wParam, lParam);
      break;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      // The children cover the client area; paint what a resize may show
      // between them (the window clips its children out).
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      FillRect(dc, &ps.rcPaint, GetSysColorBrush(COLOR_BTNFACE));
      EndPaint(window, &ps);
      return 0;
    }
    case WM_COMMAND: {
      unsigned code = HIWORD(wParam);
      if (IsSettingsTabControl(LOWORD(wParam))) {
        SettingsEffect effect =
            HandleSettingsTabCommand(window, LOWORD(wParam), int(code), reinterpret_cast<HWND>(lParam));
        if (effect == SettingsEffect::ZoomModeChanged && g_doc.loaded) {
          SetZoom(g_doc.view, ZoomModeFromSetting(g_settings.DefaultZoom), 100.0);
          PageViewLayoutChanged();
        }
        return 0;
      }
      if (code == 0 || code == 1) HandleCommand(window, LOWORD(wParam));
      return 0;
    }
    case WM_FV_SHOW_WHATS_NEW:
      ShowWhatsNewAfterUpdate(window);
      return 0;
    case WM_FV_SEND_DONE:
      HandleSendDone(wParam, lParam);
      return 0;
    case WM_DROPFILES:
      OnDropFiles(window, reinterpret_cast<HDROP>(wParam));
      return 0;
    case WM_TIMER:
      if (wParam == kCleanupTimer) OnCleanupTimer(window);
      return 0;
    case WM_CLOSE:
      if (g_busy.printing || g_busy.saving) return 0;
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
