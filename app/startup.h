// The program entry's steps: start-up, the message loop and shutdown.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

int RunFolivex(HINSTANCE instance, int showCommand);

// Start-up step: the screen's DPI into g_app.dpi (read once) and the three
// fonts of g_app made for it. Also for programs that build the main window
// themselves, such as the benchmarks.
void ReadDpiAndMakeFonts();

// Registers every window class of the program (g_app.instance and
// g_app.programIcon must be set). For programs that build the main window
// themselves, such as the benchmarks.
bool RegisterFolivexClasses();

// The accelerator table (34 entries). Exposed for tests.
std::vector<ACCEL> AcceleratorEntries();

// Places the window so that its visible frame covers the rectangle.
void PlaceWindowByFrame(HWND window, int x, int y, int width, int height);

// The full path of this program file (never cut), or empty on failure.
std::wstring ProgramPath();
