// The program entry's steps: start-up, the message loop and shutdown.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

int RunFolivex(HINSTANCE instance, int showCommand);

// Registers every window class of the program (g_ui.instance and
// g_ui.programIcon must be set). For programs that build the main window
// themselves, such as the benchmarks.
bool RegisterFolivexClasses();

// Places the window so that its visible frame covers the rectangle.
void PlaceWindowByFrame(HWND window, int x, int y, int width, int height);
