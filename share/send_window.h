// The Send window (class FVShare): pick a person, choose what they get and
// how, look over the subject and message, and press Send. At most one
// exists; while it is open the main window is disabled and the main message
// loop gives it dialog keyboard navigation. UI thread only.
#pragma once
#include <windows.h>

#include <string>

LRESULT CALLBACK SendWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The tooltip control the window attaches its tooltips to (the main
// window's), set once at start.
void SetShareTooltip(HWND tooltip);

// Opens the window, or brings the open one to the front. A method of 0..7
// becomes the current way for this window (without being stored); -1 keeps
// the current one.
void OpenSendWindow(int method);

// Writes the standard subject and message into their boxes; unless forced,
// not after the user has edited them.
void ComposeShareMessage(bool force);

// The PDF choice's label, enabled state and the two check marks, from the
// current way and whether a PDF is open.
void RefreshWhatToSend();

// Fills the To box's list with the saved people, keeping the typed text.
void FillToList();

// A message in the Send window's status line, or in the main window's status
// bar when the Send window isn't open.
void SetShareStatus(const std::wstring& text);
