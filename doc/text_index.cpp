#include "doc/text_index.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cwchar>

namespace {

struct FoldRun {
  uint16_t first;
  uint16_t count;
  uint16_t stride;
  int32_t delta;
};

constexpr FoldRun kFoldRuns[] = {
#include "doc/case_fold_table.inc"
};

// The whole plane as one table, made once.
const std::array<uint16_t, 0x10000>& FoldTable() {
  static const std::array<uint16_t, 0x10000> table = [] {
    std::array<uint16_t, 0x10000> t{};
    for (size_t c = 0; c < t.size(); ++c) t[c] = uint16_t(c);
    for (const FoldRun& run : kFoldRuns)
      for (unsigned k = 0; k < run.count; ++k) {
        const unsigned c = run.first + k * run.stride;
        t[c] = uint16_t(int32_t(c) + run.delta);
      }
    return t;
  }();
  return table;
}

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

bool IsPositioned(int page, const std::vector<int>& positionOf) {
  return page >= 0 && size_t(page) < positionOf.size() && positionOf[size_t(page)] >= 0;
}

std::wstring Format(const wchar_t* format, int a, int b = 0, int c = 0) {
  wchar_t text[160];
  std::swprintf(text, 160, format, a, b, c);
  return text;
}

}  // namespace

wchar_t SearchFoldUnit(wchar_t c) {
  const uint32_t unit = uint32_t(c);
  if (unit > 0xFFFF) return c;  // not a UTF-16 unit (wchar_t is wider outside Windows)
  return wchar_t(FoldTable()[unit]);
}

std::wstring SearchForm(std::wstring_view text) {
  const auto& table = FoldTable();
  std::wstring form(text.size(), L' ');
  for (size_t i = 0; i < text.size(); ++i) {
    const uint32_t unit = uint32_t(text[i]);
    wchar_t c = unit > 0xFFFF ? text[i] : wchar_t(table[unit]);
    if (c == 13 || c == 10 || c == 9 || c == 160) c = 32;
    form[i] = c;
  }
  return form;
}

void EnsureSearchForm(TextEntry& entry) {
  if (entry.lowerText.size() != entry.chars.size()) entry.lowerText = SearchForm(entry.chars);
}

void FindOccurrences(std::wstring_view text, std::wstring_view query, size_t limit, std::vector<int>& starts) {
  if (query.empty() || query.size() > text.size()) return;
  size_t found = 0;
  size_t from = 0;
  while (found < limit) {
    const size_t at = text.find(query, from);
    if (at == std::wstring_view::npos) return;
    const size_t end = at + query.size();
    const bool splitsStart = at > 0 && IsLowSurrogate(text[at]) && IsHighSurrogate(text[at - 1]);
    const bool splitsEnd = end < text.size() && IsLowSurrogate(text[end]) && IsHighSurrogate(text[end - 1]);
    if (splitsStart || splitsEnd) {
      from = at + 1;
      continue;
    }
    starts.push_back(int(at));
    ++found;
    from = end;
  }
}

void ClearMatches(FindState& find) {
  find.matches.clear();
  find.pagesWithMatches.clear();
  find.current = -1;
  find.scrollToMatchPending = false;
}

namespace {

// The current match by its page and start, which survive changes of the list.
struct MatchKey {
  int page = -1;
  int start = -1;
};

MatchKey CurrentKey(const FindState& find) {
  if (find.current < 0 || size_t(find.current) >= find.matches.size()) return {};
  const FindMatch& m = find.matches[size_t(find.current)];
  return {m.page, m.start};
}

void FindCurrentAgain(FindState& find, MatchKey key) {
  find.current = -1;
  if (key.page < 0) return;
  for (size_t i = 0; i < find.matches.size(); ++i)
    if (find.matches[i].page == key.page && find.matches[i].start == key.start) {
      find.current = int(i);
      return;
    }
}

}  // namespace

bool SearchPage(FindState& find, TextIndex& index, int page, const std::vector<int>& positionOf) {
  auto it = index.find(page);
  if (it == index.end() || find.query.empty()) return false;
  // The current match, when it is one of this page's, is found again among
  // the page's new matches.
  const MatchKey key = CurrentKey(find);
  if (find.pagesWithMatches.erase(page)) {
    find.matches.erase(std::remove_if(find.matches.begin(), find.matches.end(),
                                      [page](const FindMatch& m) { return m.page == page; }),
                       find.matches.end());
    FindCurrentAgain(find, key);
  }
  if (!IsPositioned(page, positionOf) || find.matches.size() >= kMaxMatches) return true;
  TextEntry& entry = it->second;
  EnsureSearchForm(entry);
  std::vector<int> starts;
  FindOccurrences(entry.lowerText, find.query, kMaxMatches - find.matches.size(), starts);
  if (starts.empty()) return true;
  // The page's matches go where they belong in a sorted list, so that a list
  // kept sorted stays sorted without sorting it again.
  const int position = positionOf[size_t(page)];
  const int length = int(find.query.size());
  auto at = std::lower_bound(find.matches.begin(), find.matches.end(), position,
                             [](const FindMatch& m, int p) { return m.position < p; });
  const size_t insertAt = size_t(at - find.matches.begin());
  std::vector<FindMatch> added;
  added.reserve(starts.size());
  for (int start : starts) added.push_back({position, page, start, length});
  find.matches.insert(find.matches.begin() + std::ptrdiff_t(insertAt), added.begin(), added.end());
  if (find.current >= 0 && size_t(find.current) >= insertAt) find.current += int(added.size());
  if (find.current < 0 && key.page == page)
    for (size_t i = 0; i < added.size(); ++i)
      if (added[i].start == key.start) find.current = int(insertAt + i);
  find.pagesWithMatches.insert(page);
  return true;
}

void SortMatches(FindState& find, const std::vector<int>& positionOf) {
  const MatchKey key = CurrentKey(find);
  find.matches.erase(std::remove_if(find.matches.begin(), find.matches.end(),
                                    [&](const FindMatch& m) { return !IsPositioned(m.page, positionOf); }),
                     find.matches.end());
  for (FindMatch& m : find.matches) m.position = positionOf[size_t(m.page)];
  std::sort(find.matches.begin(), find.matches.end(), [](const FindMatch& a, const FindMatch& b) {
    return a.position != b.position ? a.position < b.position : a.start < b.start;
  });
  FindCurrentAgain(find, key);
  find.pagesWithMatches.clear();
  for (const FindMatch& m : find.matches) find.pagesWithMatches.insert(m.page);
}

bool ChooseCurrentMatch(FindState& find, int currentPage) {
  if (find.current >= 0 || find.matches.empty()) return false;
  auto at = std::lower_bound(find.matches.begin(), find.matches.end(), currentPage,
                             [](const FindMatch& m, int p) { return m.position < p; });
  find.current = at == find.matches.end() ? 0 : int(at - find.matches.begin());
  return true;
}

FindStep StepMatch(FindState& find, int direction) {
  const int count = int(find.matches.size());
  if (count == 0) return find.query.empty() ? FindStep::Nothing : FindStep::Beep;
  if (find.current < 0 || find.current >= count) {
    find.current = direction > 0 ? 0 : count - 1;
    return FindStep::Moved;
  }
  const int next = (find.current + direction + count) % count;
  FindStep step = FindStep::Moved;
  if (direction > 0 && next <= find.current) step = FindStep::WrappedToFirst;
  if (direction < 0 && next >= find.current) step = FindStep::WrappedToLast;
  find.current = next;
  return step;
}

MatchSpan MatchesOfPosition(const FindState& find, int position) {
  auto lo = std::lower_bound(find.matches.begin(), find.matches.end(), position,
                             [](const FindMatch& m, int p) { return m.position < p; });
  auto hi = std::upper_bound(lo, find.matches.end(), position,
                             [](int p, const FindMatch& m) { return p < m.position; });
  return {size_t(lo - find.matches.begin()), size_t(hi - find.matches.begin())};
}

std::wstring FindStatusText(const FindState& find, bool documentOpen, int pagesRead, int pageCount) {
  if (find.query.empty() || !documentOpen) return std::wstring();
  const int count = int(find.matches.size());
  if (pagesRead < pageCount)
    return Format(L"Searching\u2026 %d found so far (%d of %d pages read)", count, pagesRead, pageCount);
  if (count == 0) return L"No matches";
  if (find.current < 0 || find.current >= count) return Format(L"%d found", count);
  return Format(L"%d of %d", find.current + 1, count);
}

int PagesRead(const TextIndex& index, const std::vector<int>& order) {
  int read = 0;
  for (int page : order) read += index.count(page) ? 1 : 0;
  return read;
}

bool StoreTextRead(TextEntry& entry, bool ok, bool background, PageText&& text, uint32_t stamp) {
  const bool sameText = (entry.hasBoxes || !entry.chars.empty()) && entry.chars == text.chars;
  if (ok && background && entry.hasBoxes && sameText) return false;
  if (ok) {
    entry.chars = std::move(text.chars);
    entry.boxes = std::move(text.boxes);
    entry.links = std::move(text.links);
  } else {
    entry.chars.clear();
    entry.boxes.clear();
    entry.links.clear();
  }
  if (!sameText) entry.lowerText.clear();
  entry.hasBoxes = !ok || !background;
  if (entry.hasBoxes && entry.boxes.size() != entry.chars.size()) entry.boxes.resize(entry.chars.size());
  if (!entry.hasBoxes) {
    entry.boxes.clear();
    entry.links.clear();
  }
  entry.stamp = stamp;
  return !sameText;
}

void LimitBoxedEntries(TextIndex& index, const std::function<bool(int page)>& visible) {
  size_t boxed = 0;
  for (const auto& [page, entry] : index) boxed += entry.hasBoxes ? 1 : 0;
  while (boxed > kMaxBoxedEntries) {
    TextEntry* oldest = nullptr;
    for (auto& [page, entry] : index) {
      if (!entry.hasBoxes || visible(page)) continue;
      // Stamps are tick counts: compare by age so that a wrap doesn't matter.
      if (!oldest || int32_t(entry.stamp - oldest->stamp) < 0) oldest = &entry;
    }
    if (!oldest) return;
    oldest->boxes.clear();
    oldest->boxes.shrink_to_fit();
    oldest->links.clear();
    oldest->links.shrink_to_fit();
    oldest->hasBoxes = false;
    --boxed;
  }
}
