#include "doc/text_select.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

bool Before(const TextPoint& a, const TextPoint& b) {
  return a.position != b.position ? a.position < b.position : a.charIndex < b.charIndex;
}

bool IsEmptyBox(NormBox box) { return box == 0; }

}  // namespace

void OrderedEnds(const TextSelection& s, TextPoint& lo, TextPoint& hi) {
  lo = s.anchor;
  hi = s.focus;
  if (Before(hi, lo)) std::swap(lo, hi);
}

CharRange SelectedRange(const TextSelection& s, int position, int n) {
  if (!s.hasSelection) return {0, 0};
  TextPoint lo, hi;
  OrderedEnds(s, lo, hi);
  if (position < lo.position || position > hi.position) return {0, 0};
  int start = position == lo.position ? lo.charIndex : 0;
  int end = n;
  if (position == hi.position && int64_t(hi.charIndex) + 1 <= n) end = hi.charIndex + 1;
  start = std::clamp(start, 0, std::max(n, 0));
  return {start, end};
}

void SelectAllText(TextSelection& s, int positions) {
  s.anchor = {0, 0};
  s.focus = {std::max(positions - 1, 0), kSelectToEnd};
  s.hasSelection = positions > 0;
  s.dragMoved = false;
}

SelectedText ComposeSelectedText(const TextSelection& s, const PageOrder& order, const TextIndex& index) {
  SelectedText out;
  if (!s.hasSelection || order.empty()) return out;
  TextPoint lo, hi;
  OrderedEnds(s, lo, hi);
  const int last = std::min(hi.position, int(order.size()) - 1);
  for (int p = std::max(lo.position, 0); p <= last; ++p) {
    const int page = order[size_t(p)];
    auto it = index.find(page);
    if (it == index.end()) {
      out.complete = false;
      out.missing.push_back(page);
      continue;
    }
    const std::wstring& chars = it->second.chars;
    const CharRange r = SelectedRange(s, p, int(chars.size()));
    if (r.start < r.end) out.text.append(chars, size_t(r.start), size_t(r.end - r.start));
    if (p < hi.position && !out.text.empty() && out.text.back() != L'\n') out.text += L"\r\n";
  }
  out.text.erase(std::remove_if(out.text.begin(), out.text.end(),
                                [](wchar_t c) { return c < 32 && c != 9 && c != 10 && c != 13; }),
                 out.text.end());
  return out;
}

bool IsWordChar(wchar_t c) {
  if (c > 127) return true;
  return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || c == L'_' ||
         c == L'\'';
}

void WordAround(const std::wstring& chars, int i, int& first, int& last) {
  first = last = i;
  if (i < 0 || size_t(i) >= chars.size() || !IsWordChar(chars[size_t(i)])) return;
  while (first > 0 && IsWordChar(chars[size_t(first - 1)])) --first;
  while (size_t(last + 1) < chars.size() && IsWordChar(chars[size_t(last + 1)])) ++last;
}

std::vector<NormRect> LineRects(const std::vector<NormBox>& boxes, int first, int end) {
  std::vector<NormRect> rects;
  first = std::max(first, 0);
  end = std::min(end, int(boxes.size()));
  bool open = false;
  NormRect cur;
  for (int i = first; i < end; ++i) {
    const NormBox b = boxes[size_t(i)];
    if (IsEmptyBox(b)) continue;
    const NormRect box = {NormBoxLeft(b), NormBoxTop(b), NormBoxRight(b), NormBoxBottom(b)};
    if (open) {
      const int overlap = std::min(cur.bottom, box.bottom) - std::max(cur.top, box.top);
      const int smaller = std::min(cur.bottom - cur.top, box.bottom - box.top);
      const int step = box.left - cur.right;
      if (overlap * 2 > smaller && step >= -1499 && step <= 3299) {
        cur.left = std::min(cur.left, box.left);
        cur.top = std::min(cur.top, box.top);
        cur.right = std::max(cur.right, box.right);
        cur.bottom = std::max(cur.bottom, box.bottom);
        continue;
      }
      rects.push_back(cur);
    }
    cur = box;
    open = true;
  }
  if (open) rects.push_back(cur);
  return rects;
}

NormPoint PagePointFromDisplay(double offsetX, double offsetY, int pageWidth, int pageHeight, int rotation) {
  const double m = pageWidth > 1 ? offsetX / pageWidth : offsetX;
  const double u = pageHeight > 1 ? offsetY / pageHeight : offsetY;
  double x = m, y = u;
  switch (rotation & 3) {
    case 1:
      x = u, y = 1 - m;
      break;
    case 2:
      x = 1 - m, y = 1 - u;
      break;
    case 3:
      x = 1 - u, y = m;
      break;
  }
  auto unit = [](double f) {
    const double v = f * kNormBoxMax;
    if (!(v > -1e9)) return -1000000000;
    if (v > 1e9) return 1000000000;
    return int(std::floor(v));
  };
  return {unit(x), unit(y)};
}

DisplayRect DisplayRectOf(const NormRect& r, int64_t pageWidth, int64_t pageHeight, int rotation) {
  // The rectangle in display fractions (0..65535 of the page box).
  int64_t l = r.left, t = r.top, rt = r.right, b = r.bottom;
  switch (rotation & 3) {
    case 1:  // display (m, u) = (1 - y, x)
      l = kNormBoxMax - r.bottom, rt = kNormBoxMax - r.top, t = r.left, b = r.right;
      break;
    case 2:
      l = kNormBoxMax - r.right, rt = kNormBoxMax - r.left, t = kNormBoxMax - r.bottom, b = kNormBoxMax - r.top;
      break;
    case 3:  // display (m, u) = (y, 1 - x)
      l = r.top, rt = r.bottom, t = kNormBoxMax - r.right, b = kNormBoxMax - r.left;
      break;
  }
  auto down = [](int64_t v, int64_t size) { return v * size / kNormBoxMax; };
  auto up = [](int64_t v, int64_t size) { return (v * size + kNormBoxMax - 1) / kNormBoxMax; };
  return {down(l, pageWidth), down(t, pageHeight), up(rt, pageWidth), up(b, pageHeight)};
}

int HitCharacter(const std::vector<NormBox>& boxes, NormPoint p, bool nearest, float pageWidth, float pageHeight,
                 bool& onText) {
  onText = false;
  for (size_t i = 0; i < boxes.size(); ++i) {
    const NormBox b = boxes[i];
    if (IsEmptyBox(b)) continue;
    if (p.x >= NormBoxLeft(b) - 100 && p.x <= NormBoxRight(b) + 100 && p.y >= NormBoxTop(b) - 100 &&
        p.y <= NormBoxBottom(b) + 100) {
      onText = true;
      return int(i);
    }
  }
  if (!nearest) return -1;
  int best = -1;
  double bestDistance = std::numeric_limits<double>::infinity();
  for (size_t i = 0; i < boxes.size(); ++i) {
    const NormBox b = boxes[i];
    if (IsEmptyBox(b)) continue;
    const double dx = std::max({0.0, double(NormBoxLeft(b)) - p.x, double(p.x) - NormBoxRight(b)}) / kNormBoxMax;
    const double dy = std::max({0.0, double(NormBoxTop(b)) - p.y, double(p.y) - NormBoxBottom(b)}) / kNormBoxMax;
    const double distance = dx * pageWidth + dy * pageHeight * 4;
    if (distance < bestDistance) {
      bestDistance = distance;
      best = int(i);
    }
  }
  return best;
}

int HitLink(const std::vector<PageLink>& links, NormPoint p) {
  for (size_t i = links.size(); i-- > 0;) {
    const NormBox b = links[i].box;
    if (p.x >= NormBoxLeft(b) && p.x <= NormBoxRight(b) && p.y >= NormBoxTop(b) && p.y <= NormBoxBottom(b))
      return int(i);
  }
  return -1;
}
