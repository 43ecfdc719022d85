// The help windows: the notes window (class FVNotes) that shows the
// how-to-use text, the release notes and what's new, the about box, and the
// two commands that open the maker's web pages.
#pragma once
#include <windows.h>

#include <string>

#include "ui/shell_ops.h"

// The main window's message for "show what's new after an update", posted
// by the start-up.
constexpr UINT WM_FV_SHOW_WHATS_NEW = WM_APP + 14;

LRESULT CALLBACK NotesWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Opens the notes window (closing the one that is open) owned by the main
// window: the header, then the body, in a read-only text field with a Close
// button.
void ShowNotes(const std::wstring& title, const std::wstring& header, const std::wstring& body);

void ShowHowToUse(HWND main);
void ShowReleaseNotes(HWND main);
// What's new in this version, after an update.
void ShowWhatsNewAfterUpdate(HWND main);
void ShowAbout(HWND main);
void OpenUserGuide(HWND main);
void OpenDownloadPage(HWND main);
