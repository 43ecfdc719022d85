// The page panel's slots for the sample PDFs the GUI tests open (letter
// pages, every fifth one landscape), laid out as the program lays out the
// panel it shows: a test clicks and reads pixels where the slots really are.
#pragma once
#include <windows.h>

#include <vector>

#include "pages/thumb_layout.h"

inline ThumbGeometry SamplePanelLayout(HWND panel, int pages) {
  ThumbGeometry geometry;
  RECT client;
  GetClientRect(panel, &client);
  geometry.width = client.right;
  geometry.height = client.bottom;
  const float letterW = 612 * 96 / 72.0f, letterH = 792 * 96 / 72.0f;
  std::vector<float> widths, heights;
  for (int i = 0; i < pages; ++i) {
    widths.push_back(i % 5 == 4 ? letterH : letterW);
    heights.push_back(i % 5 == 4 ? letterW : letterH);
  }
  LayOutThumbs(geometry, widths, heights, 0);
  return geometry;
}
