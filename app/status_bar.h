// The status bar along the bottom of the main window: page, zoom, rotation
// and a one-line message.
#pragma once
#include <windows.h>

#include <string>

#include "app/title.h"

// Creates the status bar (with a size grip, normal UI font) as a child of the main window.
HWND CreateStatusBar(HWND parent);
// Sizes the bar to the parent and sets its four parts; returns its height.
int LayoutStatusBar();
// Rewrites the page, zoom and rotation parts from the document.
void UpdateStatus();
// Shows "  " and the text in the message part (cut to the 300-character buffer).
void ShowStatusMessage(const std::wstring& text);
// The text the message part shows (as given to ShowStatusMessage).
std::wstring StatusMessage();
