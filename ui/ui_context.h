// What every window of the program shares: the module instance, the screen
// DPI (read once at start: the process is system-DPI-aware), the three UI
// fonts and the program icon. Set by the start-up, read by every window;
// the fonts and the icon are kept for the life of the process.
#pragma once
#include <windows.h>

struct UiContext {
  HINSTANCE instance = nullptr;
  int dpi = 96;                // screen DPI, read once at start
  HFONT fontNormal = nullptr;  // "Segoe UI" 12 px, weight 400
  HFONT fontBold = nullptr;    // 12 px, weight 600
  HFONT fontLarge = nullptr;   // 18 px, weight 400
  HICON programIcon = nullptr;
};

extern UiContext g_ui;

// Scales a size given at 96 DPI to the screen DPI.
int Scaled(int px);

// Start-up step: the screen's DPI into g_ui.dpi and the three fonts made for
// it. Also for programs that build the main window themselves, such as the
// benchmarks.
void ReadDpiAndMakeFonts();

// The module the windows and resources come from.
HINSTANCE UiInstance();
