#include "app/status_bar.h"

#include <commctrl.h>

#include "app/app_state.h"
#include "app/ribbon.h"
#include "app/status_text.h"
#include "doc/document.h"
#include "doc/layout.h"
#include "pages/page_panel.h"

namespace {

HWND g_statusBar = nullptr;
std::wstring g_message;  // what the message part shows
std::wstring g_partTexts[4];  // what each part shows, so unchanged texts aren't set again

void SetPart(int part, const std::wstring& text) {
  if (g_partTexts[part] == text && !text.empty()) return;
  g_partTexts[part] = text;
  SendMessageW(g_statusBar, SB_SETTEXTW, WPARAM(part), reinterpret_cast<LPARAM>(text.c_str()));
}

}  // namespace

HWND CreateStatusBar(HWND parent) {
  g_statusBar = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, parent,
                                nullptr, g_ui.instance, nullptr);
  if (g_statusBar && g_ui.fontNormal) SendMessageW(g_statusBar, WM_SETFONT, WPARAM(g_ui.fontNormal), FALSE);
  return g_statusBar;
}

int LayoutStatusBar() {
  if (!g_statusBar) return 0;
  RECT before = {}, after = {};
  GetClientRect(g_statusBar, &before);
  SendMessageW(g_statusBar, WM_SIZE, 0, 0);
  int edges[4] = {Scaled(150), Scaled(330), Scaled(450), -1};
  SendMessageW(g_statusBar, SB_SETPARTS, 4, reinterpret_cast<LPARAM>(edges));
  // The control may keep its old pixels when only its width changes (Wine's
  // does), and then leaves the size grip and the message field's edge where
  // the old right end was. The bar is small: draw it all again.
  GetClientRect(g_statusBar, &after);
  if (after.right != before.right) InvalidateRect(g_statusBar, nullptr, TRUE);
  RECT r = {};
  GetWindowRect(g_statusBar, &r);
  return r.bottom - r.top;
}

void UpdateStatus() {
  if (!g_statusBar) {
    RibbonStateChanged();
    return;
  }
  const Document& d = g_doc;
  int count = int(d.pages.order.size());
  SetPart(0, StatusPageText(d.loaded, d.loading, CurrentPage(d.view), count));
  SetPart(1, StatusZoomText(d.loaded, d.view.zoomMode, d.view.zoomPercent));
  SetPart(2, StatusRotationText(d.loaded, d.view.rotation));
  PagePanelCurrentPage(d.loaded ? CurrentPage(d.view) : -1);
  RibbonStateChanged();
}

void ShowStatusMessage(const std::wstring& text) {
  if (!g_statusBar) return;
  g_message = text;
  SetPart(3, StatusMessageText(text));
}

std::wstring StatusMessage() { return g_message; }
