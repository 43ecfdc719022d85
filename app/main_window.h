// The main window (class FolivexMain): the frame of the program.
#pragma once
#include <windows.h>

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Carries out a command from the ribbon, a menu or an accelerator.
void HandleCommand(HWND window, unsigned short id);
