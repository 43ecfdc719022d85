// Registration as a PDF program for the current user (everything under
// HKEY_CURRENT_USER, no administrator needed), the way to the Windows screen
// where the user makes it the default, the "Default: yes/no" label, and the
// repair of the registration when the program file has moved.
#pragma once
#include <windows.h>

#include <string>

// "\"<program>\" \"%1\"".
std::wstring OpenCommandFor(const std::wstring& program);

// Writes the file type, the application entry and the capabilities, then
// tells the shell that associations changed. Write failures are ignored.
void RegisterFileType();
// When this user registered the program before and the registration names
// another program file, registers again.
void RepairFileType();
// Whether Windows opens .pdf files with this program file.
bool IsDefaultPdfApp();
// Brings the Settings tab's label up to date (when it changed).
void RefreshDefaultLabel();
// Command 41010: registers and leads the user to the Windows screen.
void SetAsDefaultApp(HWND main);
