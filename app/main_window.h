// The main window (class FolivexMain): the frame of the program.
#pragma once
#include <windows.h>

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The main window's style. Its own paint must stay off its children: a child
// moved into a part of it that waits for a paint keeps its copied pixels and
// is not painted again.
inline constexpr DWORD kMainWindowStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;

// Connects the document to the shell: title, status bar and the password
// prompt. The main window does it when it is made; tests that drive the
// document without a main window call it themselves.
void ConnectShell();
