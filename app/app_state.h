// Process-wide values the entry fills at start and the shell reads.
#pragma once
#include <windows.h>

#include <string>

#include "app/install_mode.h"
#include "ui/commands.h"
#include "ui/ui_context.h"

// The program's version, as the version resource and the update feed know it.
inline constexpr wchar_t kFolivexVersion[] = L"1.6.2";

struct AppState {
  bool forceWindowsEngine = false;  // "/winengine": don't use PDFium
  HACCEL accelerators = nullptr;
  bool placedByAt = false;          // a valid /at was given: placement is neither restored nor saved
  int initialPage = -1;             // 0-based, -1 when none was asked for
  HWND mainWindow = nullptr;
  HWND findBox = nullptr;           // the find bar's edit field, once it exists
  HWND pageView = nullptr;          // the page view, once it exists
  InstallFacts install;             // worked out once at start
};

extern AppState g_app;
