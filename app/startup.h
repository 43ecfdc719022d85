// The program entry's steps: start-up, the message loop and shutdown.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

int RunFolivex(HINSTANCE instance, int showCommand);

// What the user is told when a start-up step fails (`what`: the step, as
// in "its main window couldn't be created"): the step and the system's text
// for `error` (none when 0).
std::wstring StartupFailureText(const wchar_t* what, unsigned long error);

// Registers every window class of the program (g_ui.instance and
// g_ui.programIcon must be set). For programs that build the main window
// themselves, such as the benchmarks.
bool RegisterFolivexClasses();

// Places the window so that its visible frame covers the rectangle.
void PlaceWindowByFrame(HWND window, int x, int y, int width, int height);
