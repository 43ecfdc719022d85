// Process-wide values the entry fills at start and the shell reads.
#pragma once
#include <windows.h>

#include <string>

#include "app/commands.h"

// The program's version, as the version resource and the update feed know it.
inline constexpr wchar_t kFolivexVersion[] = L"1.6.2";

struct AppState {
  HINSTANCE instance = nullptr;
  bool forceWindowsEngine = false;  // "/winengine": don't use PDFium
  int dpi = 96;                     // screen DPI, read once at start
  HFONT fontNormal = nullptr;       // "Segoe UI" 12 px, weight 400
  HFONT fontBold = nullptr;         // 12 px, weight 600
  HFONT fontLarge = nullptr;        // 18 px, weight 400
  HICON programIcon = nullptr;
  UINT pageDragMessage = 0;         // "Corvane.Folivex.PageDrag"
  HACCEL accelerators = nullptr;
  bool placedByAt = false;          // a valid /at was given: placement is neither restored nor saved
  int initialPage = -1;             // 0-based, -1 when none was asked for
  HWND mainWindow = nullptr;
  HWND findBox = nullptr;           // the find bar's edit field, once it exists
  HWND pageView = nullptr;          // the page view, once it exists
  bool printing = false;            // busy flags: commands, drops and closing are ignored
  bool saving = false;
};

extern AppState g_app;

// Scales a size given at 96 DPI to the screen DPI.
int Scaled(int px);
