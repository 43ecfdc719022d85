// The ribbon's run-time state, shared by its window procedure and painting.
#pragma once
#include <windows.h>

#include "app/ribbon.h"

inline constexpr int kMaxSettingsControls = 32;

struct RibbonSettingsControl {
  HWND window;
  int group;
  int x, y;  // at 96 DPI, relative to the group's left edge and the panel's top
};

struct RibbonRuntime {
  HWND window = nullptr;
  HWND tooltip = nullptr;
  int currentTab = kRibbonHomeTab;
  int hoveredTab = -1;
  int hoveredButton = -1;
  int pressedButton = -1;
  bool linkHovered = false;
  bool tracking = false;
  RibbonLayout layout;
  RibbonSettingsControl controls[kMaxSettingsControls] = {};
  int controlCount = 0;
  uint32_t state = 0;
  int positions = 0;
  RibbonFactsSource factsSource = nullptr;
};

extern RibbonRuntime g_ribbon;

// Draws the whole ribbon into `dc` (the back buffer).
void PaintRibbon(HDC dc, const RECT& client);
