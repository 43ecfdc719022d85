// What happens when the user presses Send in the Send window: the checks,
// remembering the person, and sending by the chosen way (a link opened by
// the shell, or the clipboard). Also the Explorer operation the main window
// shares. UI thread only.
#pragma once

#include <string>

// The Send flow; does nothing while a job runs or the document is being
// saved.
void SendFromWindow();

// Whether this send carries the PDF itself: the user chose it, a PDF is
// open and the way isn't a text message.
bool FileWouldBeSent();

// Opens File Explorer with the file selected.
void ShowInFolder(const std::wstring& path);
