// Window rectangle arithmetic of the entry, kept free of Windows types.
#pragma once

struct IntRect {
  int x = 0, y = 0, w = 0, h = 0;
};

// Scales a size given at 96 dots per inch to the screen's DPI (MulDiv rounding).
int ScalePx(int value, int dpi);

// The main window's first rectangle: 6/10 of the work area's width (at least
// 1000 px scaled, at most the work area), 9/10 of its height, centred.
IntRect DefaultWindowRect(int workLeft, int workTop, int workWidth, int workHeight, int dpi);

// Given the window rectangle and its visible frame as the system reports it,
// computes the rectangle that puts the visible frame exactly on `asked`.
// Returns false when no correction applies (no border, or one of 40 px or more).
bool FrameCorrectedRect(const IntRect& asked, int winLeft, int winTop, int winRight, int winBottom,
                        int frameLeft, int frameTop, int frameRight, int frameBottom, IntRect& out);
