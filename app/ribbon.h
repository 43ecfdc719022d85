// The ribbon (window class FVRibbon): the command bar across the top of the
// main window, with five tabs of large buttons and the Settings tab's
// controls. It sends each command as WM_COMMAND to the main window.
#pragma once
#include <windows.h>

#include "app/ribbon_rules.h"

LRESULT CALLBACK RibbonWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// A tooltip control as the program's windows use them: always tipping, no
// prefix processing, topmost, tips up to 440 px wide that stay 32 seconds.
// `initialDelayMs` < 0 keeps the control's own delay.
HWND CreateTooltipControl(HWND owner, int initialDelayMs);

// Creates the ribbon as a child of the main window, its own tooltip control
// (for tabs and buttons) and the Settings-tab controls, whose tooltips go to
// `settingsTooltip` (the main window's tooltip control); then lays it out.
HWND CreateRibbon(HWND parent, HWND settingsTooltip);
HWND RibbonWindow();
HWND RibbonTooltip();

// 30 + 98 + 1 pixels, each scaled.
int RibbonHeight();

// Where the ribbon reads the document facts from; without a source it shows
// "no document".
using RibbonFactsSource = RibbonFacts (*)();
void SetRibbonFactsSource(RibbonFactsSource source);
// Recomputes the state word; repaints the ribbon only when it changed.
void RibbonStateChanged();
uint32_t RibbonState();

// Creates a hidden Settings-tab control (sizes at 96 DPI, scaled here; the
// normal UI font) and records it with its group and position so that the
// layout can place it. The 33rd and later controls are created but not
// recorded.
HWND AddRibbonSettingsControl(const wchar_t* className, const wchar_t* text, DWORD style, int group, int x, int y,
                              int width, int height, int id);

// Recomputes every rectangle and the tooltips, places or hides the Settings
// controls, and repaints.
void LayOutRibbonWindow();

// The current tab and the laid-out rectangles (client coordinates).
int RibbonCurrentTab();
const RibbonLayout& RibbonCurrentLayout();
