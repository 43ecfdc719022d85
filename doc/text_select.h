// Text selection on the page column, and the geometry that selection, find
// highlights and links share: which characters of a page are selected, the
// text a copy takes, word selection, which character or link lies under a
// point, and the line rectangles a run of characters is drawn as.
// Platform-neutral; UI thread only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "doc/page_order.h"
#include "doc/text_index.h"

// A character of the column: on-screen position and index in that page's chars.
struct TextPoint {
  int position = 0;
  int charIndex = 0;
};

struct TextSelection {
  TextPoint anchor;  // where the selection started
  TextPoint focus;   // where it ends; either may come first
  bool hasSelection = false;
  bool dragMoved = false;    // the focus moved during the drag
  bool copyPending = false;  // a copy waits for page texts
};

// Select all's focus character: beyond any page's length.
inline constexpr int kSelectToEnd = 0x3FFFFFFF;

// The selected characters [start, end) of position p whose text has n
// characters; start >= end when none are. Both ends of the selection are
// included.
struct CharRange {
  int start = 0;
  int end = 0;
};
CharRange SelectedRange(const TextSelection& s, int position, int n);

// The ends in order (by position, then character).
void OrderedEnds(const TextSelection& s, TextPoint& lo, TextPoint& hi);

// Everything from the first character of the first position to the end of
// the last one (positions > 0).
void SelectAllText(TextSelection& s, int positions);

// The selected text: each selected position's part, with a carriage return
// and line feed after a part (but the last) when the text so far doesn't
// end in a line feed; characters below 32 other than tab, line feed and
// carriage return are left out. Positions without text make it incomplete;
// their engine pages are listed in `missing` so they can be asked for.
struct SelectedText {
  std::wstring text;
  bool complete = true;
  std::vector<int> missing;  // engine pages
};
SelectedText ComposeSelectedText(const TextSelection& s, const PageOrder& order, const TextIndex& index);

// Word selection: letters and digits (ASCII), the underscore, the
// apostrophe and every character above 127 are word characters.
bool IsWordChar(wchar_t c);
// The word around character i (the character alone when it is not a word
// character): [first, last], both included.
void WordAround(const std::wstring& chars, int i, int& first, int& last);

// --- Geometry in page units (NormBox units, 0..65535, unrotated page) -------

struct NormRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// Characters first..end-1 merged into line rectangles: a box joins the
// current rectangle when their vertical overlap, doubled, exceeds the
// smaller height and its left edge is -1499..3299 units from the
// rectangle's right edge. Empty boxes are skipped.
std::vector<NormRect> LineRects(const std::vector<NormBox>& boxes, int first, int end);

// A point of the window within a page shown as a box of pageWidth x
// pageHeight pixels (offsets from its top-left corner), as a point of the
// unrotated page in NormBox units.
struct NormPoint {
  int x = 0;
  int y = 0;
};
NormPoint PagePointFromDisplay(double offsetX, double offsetY, int pageWidth, int pageHeight, int rotation);

// A rectangle of the unrotated page mapped onto the page box on screen
// (offsets from its top-left corner): left and top rounded down, right and
// bottom up.
struct DisplayRect {
  int64_t left = 0;
  int64_t top = 0;
  int64_t right = 0;
  int64_t bottom = 0;
};
DisplayRect DisplayRectOf(const NormRect& r, int64_t pageWidth, int64_t pageHeight, int rotation);

// The character under a point: the first (in text order) whose box grown by
// 100 units holds it; in nearest mode, when none does, the one at the
// smallest distance (horizontal gap x page width + vertical gap x page
// height x 4, the page's unrotated size at 96 dpi). -1 for none. `onText`
// tells whether a box held it.
int HitCharacter(const std::vector<NormBox>& boxes, NormPoint p, bool nearest, float pageWidth, float pageHeight,
                 bool& onText);
// The link under a point: the last one whose box holds it, -1 for none.
int HitLink(const std::vector<PageLink>& links, NormPoint p);
