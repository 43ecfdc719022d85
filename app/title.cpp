#include "app/title.h"

#include <windows.h>

#include "app/app_state.h"
#include "app/status_text.h"
#include "doc/document.h"

void UpdateTitle() {
  if (!g_app.mainWindow) return;
  std::wstring title = TitleText(g_doc.loaded, g_doc.pages.orderChanged, g_doc.displayName);
  wchar_t shown[512] = {};
  GetWindowTextW(g_app.mainWindow, shown, 512);
  if (title != shown) SetWindowTextW(g_app.mainWindow, title.c_str());
}
