#include "app/main_window.h"

#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>

#include "app/app_state.h"
#include "app/cleanup.h"
#include "app/command_dispatch.h"
#include "app/default_app.h"
#include "app/notes_window.h"
#include "app/ribbon.h"
#include "app/ribbon_icons.h"
#include "app/second_window.h"
#include "app/settings_tab.h"
#include "app/startup.h"
#include "app/status_bar.h"
#include "base/win_util.h"
#include "doc/doc_hooks.h"
#include "doc/document.h"
#include "doc/document_open.h"
#include "doc/document_rules.h"
#include "doc/save_flow.h"
#include "doc/settings.h"
#include "doc/worker_messages.h"
#include "pages/cross_window.h"
#include "pages/page_panel.h"
#include "share/mail_window.h"
#include "share/send_job.h"
#include "share/send_window.h"
#include "share/share_hooks.h"
#include "ui/commands.h"
#include "ui/prompt_dialog.h"
#include "view/find_bar.h"
#include "ui/ui_context.h"
#include "update/update_bar.h"
#include "update/updater.h"
#include "view/page_view.h"

namespace {

constexpr UINT_PTR kUpdateTimer = 2;
constexpr UINT kUpdatePeriodMs = 5000;
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
  f.findOpen = FindBarOpen();
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
  if (UpdateBarShown()) {
    MoveWindow(UpdateBarWindow(), 0, y, width, UpdateBarHeight(), TRUE);
    y += UpdateBarHeight();
  }
  if (HWND find = FindBarWindow(); find && FindBarOpen()) {
    MoveWindow(find, 0, y, width, FindBarHeight(), TRUE);
    y += FindBarHeight();
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

void DrawUpdateBarIcon(HDC dc, int x, int y) { DrawRibbonIcon(dc, RibbonSmallIcons(), 23, x, y, 255); }

void LayOutAfterUpdateBar() {
  if (!g_app.mainWindow) return;
  LayOutChildren(g_app.mainWindow);
  RedrawWindow(g_app.mainWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void StartUpdates(HWND window) {
  UpdaterSetup setup;
  setup.main = window;
  setup.installMode = g_app.install.mode;
  setup.updatesOffByInstaller = g_app.install.updatesOffByInstaller;
  setup.autoUpdate = g_settings.AutoUpdate != 0;
  setup.hooks.layOut = LayOutAfterUpdateBar;
  setup.hooks.showNotes = ShowNotes;
  StartUpdater(setup);
  SetTimer(window, kUpdateTimer, kUpdatePeriodMs, nullptr);
}

void OnCreate(HWND window) {
  g_app.mainWindow = window;
  ConnectShell();
  HWND tooltip = CreateTooltipControl(window, -1);
  CreateRibbon(window, tooltip);
  RefreshDefaultLabel();
  SetShareTooltip(tooltip);
  SetMailTooltip(tooltip);
  SetRibbonFactsSource(CurrentRibbonFacts);
  CreateUpdateBar(window, tooltip, DrawUpdateBarIcon);
  CreateStatusBar(window);
  g_app.pageView = CreatePageView(window);
  CreatePagePanel(window, g_settings.PagePanel != 0, tooltip);
  CreateFindBar(window);
  g_app.findBox = FindBarEdit();
  PageViewHooks viewHooks;
  viewHooks.escape = PagePanelCancelDrag;
  SetPageViewHooks(viewHooks);
  DragAcceptFiles(window, TRUE);
  SetTimer(window, kCleanupTimer, kCleanupPeriodMs, nullptr);
  StartUpdates(window);
}

void OnDropFiles(HWND window, HDROP drop) {
  if (!g_busy.Any() && DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) > 0) {
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
  hooks.shownMessage = StatusMessage;
  hooks.askPassword = AskPasswordWithPrompt;
  SetShellHooks(hooks);
  // The Send window offers to save unsaved page changes before sending.
  ShareHooks share;
  share.saveDocument = SaveDocument;
  SetShareHooks(share);
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
        if (effect == SettingsEffect::UpdateCheckSoon) SetAutomaticChecks(true);
        if (LOWORD(wParam) == kIdAutoUpdate && code == BN_CLICKED && !g_settings.AutoUpdate) SetAutomaticChecks(false);
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
    case WM_COPYDATA:
      return OnPageCopyData(window, reinterpret_cast<HWND>(wParam), reinterpret_cast<COPYDATASTRUCT*>(lParam));
    case WM_FV_PAGE_DROPPED:
      OnPageDropped(window, lParam);
      return 0;
    case WM_FV_SEND_DONE:
      HandleSendDone(wParam, lParam);
      return 0;
    case WM_DROPFILES:
      OnDropFiles(window, reinterpret_cast<HDROP>(wParam));
      return 0;
    case WM_TIMER:
      if (wParam == kCleanupTimer) OnCleanupTimer(window);
      if (wParam == kUpdateTimer) UpdaterTick();
      return 0;
    case WM_ACTIVATEAPP:
      if (wParam) RefreshDefaultLabel();
      break;
    case WM_CLOSE:
      if (g_busy.Any()) return 0;
      if (!ConfirmUnsavedChanges()) return 0;
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      StopUpdater();
      RememberLastPage();
      if (!g_app.placedByAt) {
        WINDOWPLACEMENT wp = {sizeof(wp)};
        if (GetWindowPlacement(window, &wp)) WriteWindowPlacement(wp);
      }
      PostQuitMessage(0);
      return 0;
  }
  if (HandleWorkerMessage(message, lParam)) return 0;
  if (HandleUpdaterMessage(message, wParam, lParam)) return 0;
  if (message == PageDragMessage()) {
    OnMoveConfirmed(wParam, lParam);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}
