// The ribbon's icons: the sprite (resource RCDATA 102, a PNG strip of
// square icons) decoded with WIC into a 32-bit premultiplied DIB section
// held in a memory DC, at the size the ribbon or the update bar draws them.
#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "base/handles.h"

inline constexpr int kRibbonSpriteResource = 102;

struct RibbonIconSet {
  // Declared so that the bitmap is taken out of the DC before either goes.
  Gdi<HBITMAP> bitmap;
  UniqueDc memoryDc;
  std::optional<SelectedObject> selection;
  int size = 0;   // pixels per icon side
  int count = 0;  // icons in the strip
  HDC dc() const { return memoryDc.Get(); }
  bool Empty() const { return !memoryDc; }
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
