// The shell and the clipboard as every window uses them: opening an
// address or a file, and putting text or a file on the clipboard.
#pragma once
#include <windows.h>

#include <string>

// Opens a web address, a file or a program with the shell's "open" verb
// (normal show), with optional parameters; true when the shell accepted it
// (result above 32). The target, the parameters and the result are logged.
bool OpenWithShell(HWND owner, const std::wstring& target, const std::wstring& parameters = std::wstring());

// Replaces the clipboard's contents with the text (CF_UNICODETEXT); false
// when the clipboard couldn't be had.
bool CopyTextToClipboard(HWND owner, const std::wstring& text);

// Replaces the clipboard's contents with one file (CF_HDROP), so that it can
// be pasted into a chat, an email or a folder.
bool CopyFileToClipboard(HWND owner, const std::wstring& path);
