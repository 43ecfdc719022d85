// The main window (class FolivexMain): the frame of the program.
#pragma once
#include <windows.h>

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Connects the document to the shell: title, status bar and the password
// prompt. The main window does it when it is made; tests that drive the
// document without a main window call it themselves.
void ConnectShell();
