// The ribbon's icons: the sprite (resource RCDATA 102, a PNG strip of
// square icons) decoded with WIC into a 32-bit premultiplied DIB section
// held in a memory DC, at the size the ribbon or the update bar draws them.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

inline constexpr int kRibbonSpriteResource = 102;

struct RibbonIconSet {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ oldBitmap = nullptr;
  int size = 0;   // pixels per icon side
  int count = 0;  // icons in the strip
  bool Empty() const { return dc == nullptr; }
};

// Decodes a PNG strip of square icons and brings it to `size` pixels per
// icon. Fills `pixels` with count*size x size premultiplied BGRA pixels,
// rows top-down. False when any step fails.
bool DecodeIconStrip(const void* png, size_t bytes, int size, std::vector<uint8_t>& pixels, int& count);

// Builds a set from the sprite resource; on failure the set stays empty.
bool LoadRibbonIconSet(RibbonIconSet& set, int size);
void FreeRibbonIconSet(RibbonIconSet& set);

// The two sets the program makes at start: 32 px for the ribbon and 22 px
// for the update bar (both scaled). Loading again replaces them.
void LoadRibbonIcons();
const RibbonIconSet& RibbonIcons();
const RibbonIconSet& RibbonSmallIcons();

// Draws icon `index` with its own transparency, faded by `alpha` (255 full).
void DrawRibbonIcon(HDC target, const RibbonIconSet& set, int index, int x, int y, BYTE alpha);
