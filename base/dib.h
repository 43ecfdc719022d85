// Top-down 32-bit DIB sections: the form every page picture, thumbnail and
// icon strip of the program takes.
#pragma once
#include <windows.h>

#include <cstddef>

// Creates a width × height top-down 32-bit DIB section; `bits` receives its
// pixels (first row at the top). Returns null (and no bitmap) on failure.
HBITMAP CreateTopDownDib(int width, int height, void** bits);

// Spare pictures. The pictures of a document mostly come in one size (its
// pages at the current zoom), and a new DIB section costs the render a page
// fault for every 4 KB it first writes. A picture the page view lets go of is
// kept as a spare instead (at most kSpareDibs of them, kSparePixels in all),
// and the next picture of the same size is drawn into it. The render worker
// deletes the spares when it has been idle for kSpareKeepMs. Any thread.
inline constexpr size_t kSpareDibs = 2;
inline constexpr long long kSparePixels = 8'000'000;
inline constexpr unsigned long kSpareKeepMs = 3000;

// A spare of exactly this size (its old pixels still in it: the caller
// draws over all of them), else a new DIB section as CreateTopDownDib makes.
HBITMAP TakePictureDib(int width, int height, void** bits);
// Keeps a DIB section made by CreateTopDownDib or TakePictureDib as a spare,
// putting the oldest spares out to stay within the bounds; a bitmap too
// large to keep is deleted. It must not be selected into a DC.
void RetirePictureDib(HBITMAP bitmap);
// Deletes every spare.
void ReleaseSpareDibs();
size_t SpareDibCount();
