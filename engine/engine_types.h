// The records the PDF engines hand to the rest of the program: page-relative
// boxes, page text with its links, bookmarks and page sizes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A rectangle on a page packed into 64 bits as four unsigned 16-bit values:
// bits 0-15 left, 16-31 top, 32-47 right, 48-63 bottom. The unit is 1/65535
// of the unrotated page's width (x) or height (y), origin at the page's
// top-left corner. left <= right and top <= bottom always hold. All zeros
// means "no box".
using NormBox = uint64_t;

constexpr int kNormBoxMax = 65535;

// Packs the rectangle with corners (x0, y0) and (x1, y1), given in any order:
// each value is clamped to 0..65535 and the corners are sorted.
NormBox PackNormBox(long long x0, long long y0, long long x1, long long y1);

inline int NormBoxLeft(NormBox box) { return int(box & 0xFFFF); }
inline int NormBoxTop(NormBox box) { return int((box >> 16) & 0xFFFF); }
inline int NormBoxRight(NormBox box) { return int((box >> 32) & 0xFFFF); }
inline int NormBoxBottom(NormBox box) { return int((box >> 48) & 0xFFFF); }

// One link on a page: a web link found in the text or a link annotation.
struct PageLink {
  NormBox box = 0;
  int targetPage = -1;  // engine page index of the main document, -1 when none
  std::wstring uri;     // empty when the link is not a web link
};

// What reading one page gives: one UTF-16 code unit and one box per engine
// character, and the page's links.
struct PageText {
  std::wstring chars;
  std::vector<NormBox> boxes;
  std::vector<PageLink> links;
};

// One bookmark of the flat, pre-order bookmark list.
struct BookmarkEntry {
  std::wstring title;
  int depth = 0;  // 0 for top level
  int page = -1;  // 0-based page of the main document, -1 when none
};

// Page sizes per engine page index, in pixels at 96 dots per inch.
struct PageSizes {
  std::vector<float> widths;
  std::vector<float> heights;

  size_t Count() const { return widths.size(); }
  void Append(float width, float height) {
    widths.push_back(width);
    heights.push_back(height);
  }
  void CutTo(size_t count) {
    if (widths.size() > count) widths.resize(count);
    if (heights.size() > count) heights.resize(count);
  }
};
