// The open dialog for PDF files.
#pragma once
#include <windows.h>

#include <string>

// Shows the open dialog for PDF files owned by `owner`, with the given title
// (null: the standard one). Empty when nothing was picked.
std::wstring PickPdfFile(HWND owner, const wchar_t* title);
