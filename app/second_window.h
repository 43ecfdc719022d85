// "Open a second PDF beside this one": a second copy of the program on the
// right half of the screen, this window on the left half.
#pragma once
#include <windows.h>

#include <string>

#include "app/window_geometry.h"

// The two halves of a work area: this window's (left) and the second
// window's (right).
void SplitWorkArea(int left, int top, int width, int height, IntRect& mine, IntRect& second);
// The parameters the second copy is started with.
std::wstring SecondWindowParameters(const IntRect& at, const std::wstring& path);

void OpenSecondWindow(HWND main);
