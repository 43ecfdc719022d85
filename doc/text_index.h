// The text of the pages read so far (the text index) and the search over it:
// the search form of a text, the occurrences of a query in one page, the
// sorted list of matches with its current one, stepping through it, and the
// find bar's status text. Platform-neutral; the find bar and the page view
// carry these out. UI thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "engine/engine_types.h"

// What the index keeps of one engine page.
struct TextEntry {
  std::wstring chars;          // one UTF-16 unit per engine character
  std::vector<NormBox> boxes;  // one per character while hasBoxes
  std::vector<PageLink> links;
  // The search form of `chars`, built the first time the page is searched
  // and kept; empty (or of another length) until then.
  std::wstring lowerText;
  bool hasBoxes = false;  // `boxes` and `links` are present
  uint32_t stamp = 0;     // tick count when stored or last painted
};

// Engine page index -> entry.
using TextIndex = std::map<int, TextEntry>;

// Only this many entries keep their boxes and links.
inline constexpr size_t kMaxBoxedEntries = 60;
// The match list never grows beyond this.
inline constexpr size_t kMaxMatches = 200000;

// --- Search form ---------------------------------------------------------------

// One unit lowered for searching (see tools/make_case_table.py for the rule):
// the Unicode lowercase of a character of the Basic Multilingual Plane,
// with the second lowercase forms (final sigma, long s, micro sign, the
// Greek symbol letters) unified with the usual ones. Surrogates are left
// alone, so characters written as surrogate pairs keep their case.
wchar_t SearchFoldUnit(wchar_t c);

// The search form of a text: every unit lowered, then carriage return, line
// feed, tab and no-break space become a space. Nothing else changes: runs of
// spaces stay, punctuation and accents stay, the length is the same.
std::wstring SearchForm(std::wstring_view text);

// Builds the entry's lowerText unless it is already there.
void EnsureSearchForm(TextEntry& entry);

// The starts of the occurrences of `query` in `text` (both in search form),
// from the left, each search continuing after the previous occurrence (they
// don't overlap). An occurrence that would begin or end between the two
// halves of a surrogate pair is passed over. At most `limit` starts are
// appended. An empty query finds nothing.
void FindOccurrences(std::wstring_view text, std::wstring_view query, size_t limit, std::vector<int>& starts);

// --- Matches ---------------------------------------------------------------------

struct FindMatch {
  int position = 0;  // on-screen position of its page (refreshed with the order)
  int page = 0;      // engine page index
  int start = 0;     // index of its first character in the page's chars
  int length = 0;    // the query's length
};

struct FindState {
  bool open = false;  // the find bar is shown
  std::wstring query;  // search form of the find box's text
  std::vector<FindMatch> matches;
  std::set<int> pagesWithMatches;  // engine pages that have matches in the list
  int current = -1;  // index in matches, -1 when none
  bool scrollToMatchPending = false;
  std::wstring status;  // what the find bar says
};

// Empties the matches and the current one (the query stays).
void ClearMatches(FindState& find);

// Searches engine page `page` when it has an entry and the query is not
// empty: its old matches are removed, and unless the page was deleted (no
// position in positionOf) its occurrences are added (the list stays within
// kMaxMatches) where they belong in a sorted list, so a sorted list stays
// sorted. The page's search form is built when missing. The current match
// stays the same match. True when the page was searched.
bool SearchPage(FindState& find, TextIndex& index, int page, const std::vector<int>& positionOf);

// Drops matches of pages without a position, renumbers positions from
// positionOf, sorts by position then start, and finds the current match
// again (-1 when it is gone).
void SortMatches(FindState& find, const std::vector<int>& positionOf);

// When there is no current match but there are matches: the first one at or
// after `currentPage`, else the first of all. True when one was chosen.
bool ChooseCurrentMatch(FindState& find, int currentPage);

// Find next (+1) or previous (-1).
enum class FindStep {
  Beep,     // no matches, with a query: a short beep
  Nothing,  // no matches and no query
  Moved,    // current changed (to the first or last when there was none)
  WrappedToFirst,  // went past the last match to the first
  WrappedToLast,   // went past the first match to the last
};
FindStep StepMatch(FindState& find, int direction);

// The matches of one on-screen position: [first, end) in `matches`, which
// must be sorted.
struct MatchSpan {
  size_t first = 0;
  size_t end = 0;
};
MatchSpan MatchesOfPosition(const FindState& find, int position);

// The find bar's status text: empty without a query or document; the
// Searching text while pages are unread; "No matches"; "%d found" without a
// current match; "%d of %d".
std::wstring FindStatusText(const FindState& find, bool documentOpen, int pagesRead, int pageCount);

// How many on-screen positions have an entry (their text was read).
int PagesRead(const TextIndex& index, const std::vector<int>& order);

// Stores a read of the page in its entry: `ok` false for a read that
// failed (the entry then holds no text, and counts as read whole so that
// it isn't asked for again), `background` for one that brought the
// characters only. A background read of a page already read whole, with
// the same text, changes nothing: the boxes and links stay. Returns whether
// the page's text differs from what the entry held.
bool StoreTextRead(TextEntry& entry, bool ok, bool background, PageText&& text, uint32_t stamp);

// Keeps the boxes and links of at most kMaxBoxedEntries entries: while more
// have them, those of the entry with the smallest stamp among the pages
// `visible` says no about are dropped. Stops when none qualifies.
void LimitBoxedEntries(TextIndex& index, const std::function<bool(int page)>& visible);
