#include "pages/thumb_layout.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

int PanelScaled(int px, int dpi) {
  // MulDiv: multiply, then divide rounding half away from zero.
  const int64_t p = int64_t(px) * dpi;
  return int(p >= 0 ? (p + 48) / 96 : (p - 48) / 96);
}

int ThumbGeometry::Header() const { return PanelScaled(26, dpi); }
int ThumbGeometry::ListHeight() const { return std::max(height - Header(), 0); }

int PagePanelWidth(int clientWidth, int dpi) {
  return std::min(PanelScaled(188, dpi), std::max(0, clientWidth - PanelScaled(160, dpi)));
}

void LayOutThumbs(ThumbGeometry& g, const std::vector<float>& widths, const std::vector<float>& heights,
                  int rotation) {
  auto s = [&](int v) { return PanelScaled(v, g.dpi); };
  const int maxWidth = std::max(g.width - s(44), s(40));
  const int maxHeight = s(200);
  const size_t n = std::min(widths.size(), heights.size());
  g.slots.assign(n, ThumbSlot());
  int y = s(10);
  for (size_t p = 0; p < n; ++p) {
    double w = widths[p], h = heights[p];
    if (rotation % 2 != 0) std::swap(w, h);
    // 1/96 inch: one point is 4/3 of a unit.
    const double ratio = w <= 96.0 / 72.0 ? h : h / w;
    int slotHeight = int(std::lround(ratio * maxWidth));
    int slotWidth = maxWidth;
    if (slotHeight > maxHeight) {
      slotHeight = maxHeight;
      slotWidth = std::max(int(std::lround(maxHeight / ratio)), s(8));
    }
    slotHeight = std::max(slotHeight, s(8));
    g.slots[p] = {y, slotWidth, slotHeight};
    y += slotHeight + s(30);
  }
  g.total = y;
  ClampThumbScroll(g);
}

int ClampListScroll(int offset, int total, int listHeight) {
  return std::clamp(offset, 0, std::max(0, total - listHeight));
}

void ClampThumbScroll(ThumbGeometry& g) { g.scroll = ClampListScroll(g.scroll, g.total, g.ListHeight()); }

int AutoscrollStep(const ThumbGeometry& g, int y) {
  const int edge = PanelScaled(36, g.dpi), step = PanelScaled(18, g.dpi);
  if (y < g.Header() + edge) return -step;
  if (y > g.height - edge) return step;
  return 0;
}

int BookmarkIndent(int depth) { return std::clamp(depth, 0, 6); }

int BookmarkTextWidth(int panelWidth, int depth, int dpi) {
  auto s = [&](int v) { return PanelScaled(v, dpi); };
  return std::max(panelWidth - s(8) - BookmarkIndent(depth) * s(12) - s(8), s(30));
}

void StackBookmarks(BookmarkGeometry& m, const std::vector<int>& textHeights, int lineHeight, int dpi) {
  auto s = [&](int v) { return PanelScaled(v, dpi); };
  m.tops.clear();
  m.heights.clear();
  int y = s(6);
  for (int text : textHeights) {
    const int height = s(8) + std::max(lineHeight, std::min(text, 3 * lineHeight));
    m.tops.push_back(y);
    m.heights.push_back(height);
    y += height;
  }
  m.total = y + s(6);
}

int HitBookmark(const BookmarkGeometry& m, int listY) {
  if (listY < 0) return -1;
  const int at = m.scroll + listY;
  for (size_t i = 0; i < m.tops.size(); ++i)
    if (m.tops[i] <= at && at < m.tops[i] + m.heights[i]) return int(i);
  return -1;
}

void ScrollSlotIntoView(ThumbGeometry& g, int position) {
  if (position < 0 || size_t(position) >= g.slots.size()) return;
  auto s = [&](int v) { return PanelScaled(v, g.dpi); };
  const ThumbSlot& slot = g.slots[size_t(position)];
  if (slot.top - s(10) < g.scroll)
    g.scroll = slot.top - s(10);
  else if (slot.top + slot.height + s(28) > g.scroll + g.ListHeight())
    g.scroll = slot.top + slot.height + s(28) - g.ListHeight();
  ClampThumbScroll(g);
}

int HitSlot(const ThumbGeometry& g, int y) {
  if (y < g.Header()) return -1;
  auto s = [&](int v) { return PanelScaled(v, g.dpi); };
  const int at = g.scroll + y - g.Header();
  for (size_t p = 0; p < g.slots.size(); ++p) {
    const ThumbSlot& slot = g.slots[p];
    if (slot.top - s(5) <= at && at < slot.top + slot.height + s(24)) return int(p);
  }
  return -1;
}

int InsertionSlot(const ThumbGeometry& g, int y) {
  const int at = g.scroll + y - g.Header();
  for (size_t p = 0; p < g.slots.size(); ++p)
    if (g.slots[p].top + g.slots[p].height / 2 > at) return int(p);
  return int(g.slots.size());
}

int FirstVisibleSlot(const ThumbGeometry& g) {
  const int gap = PanelScaled(30, g.dpi);
  auto reaches = [&](const ThumbSlot& slot) { return slot.top + slot.height + gap >= g.scroll; };
  auto it = std::partition_point(g.slots.begin(), g.slots.end(), [&](const ThumbSlot& s) { return !reaches(s); });
  return int(it - g.slots.begin());
}

int DropTarget(int pressed, int q) { return pressed < q ? q - 1 : q; }

std::wstring DropHintText(int pressed, int q) {
  if (q == pressed || q == pressed + 1)
    return L"Let go here to leave page " + std::to_wstring(pressed + 1) + L" where it is. (Esc cancels.)";
  const int becomes = q <= pressed ? q + 1 : q;
  return L"Let go to make page " + std::to_wstring(pressed + 1) + L" page " + std::to_wstring(becomes) +
         L". (Esc cancels.)";
}
