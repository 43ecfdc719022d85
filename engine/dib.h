// Top-down 32-bit DIB sections: the form every page picture, thumbnail and
// icon strip of the program takes.
#pragma once
#include <windows.h>

// Creates a width × height top-down 32-bit DIB section; `bits` receives its
// pixels (first row at the top). Returns null (and no bitmap) on failure.
HBITMAP CreateTopDownDib(int width, int height, void** bits);
