// Fuzzes the search: a page text and a query made from the input, searched
// by the program's code and by a plain reference written here (its own case
// rule for the letters the input can hold, a character-by-character
// comparison at every place), which must agree. The match list is also
// checked after the page is put at another position.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "doc/text_index.h"

namespace {

// The units the input chooses from: letters with and without case, the
// blanks the search form turns into spaces, and surrogate halves.
constexpr wchar_t kAlphabet[] = {
    L'a', L'b', L'A', L'B', L' ', L'\r', L'\n', L'\t', 0x00A0, 0x00E9, 0x00C9, 0x03C3, 0x03A3, 0x03C2,
    0x0451, 0x0401, 0x0430, 0x0410, 0x0130, L'i', 0x0131, L'I', 0xD83D, 0xDE00, 0xD801, 0xDC00, 0xDC28, L'.'};
constexpr size_t kAlphabetSize = sizeof(kAlphabet) / sizeof(kAlphabet[0]);

wchar_t ReferenceFold(wchar_t c) {
  switch (c) {
    case L'A': return L'a';
    case L'B': return L'b';
    case L'I': return L'i';
    case 0x0130: return L'i';
    case 0x00C9: return 0x00E9;
    case 0x03A3: return 0x03C3;
    case 0x03C2: return 0x03C3;
    case 0x0401: return 0x0451;
    case 0x0410: return 0x0430;
    case L'\r': case L'\n': case L'\t': case 0x00A0: return L' ';
  }
  return c;
}

bool High(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool Low(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

std::vector<int> ReferenceSearch(const std::wstring& text, const std::wstring& query) {
  std::vector<int> starts;
  if (query.empty()) return starts;
  size_t i = 0;
  while (i + query.size() <= text.size()) {
    bool same = true;
    for (size_t k = 0; k < query.size() && same; ++k) same = ReferenceFold(text[i + k]) == ReferenceFold(query[k]);
    const size_t end = i + query.size();
    const bool splits = (i > 0 && High(text[i - 1]) && Low(text[i])) ||
                        (end < text.size() && High(text[end - 1]) && Low(text[end]));
    if (same && !splits) {
      starts.push_back(int(i));
      i = end;
    } else {
      ++i;
    }
  }
  return starts;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const size_t queryLength = data[0] % 8;
  std::wstring query, text;
  for (size_t i = 1; i < size; ++i) {
    const wchar_t c = kAlphabet[data[i] % kAlphabetSize];
    (query.size() < queryLength ? query : text).push_back(c);
  }

  std::vector<int> expected = ReferenceSearch(text, query);
  std::vector<int> got;
  FindOccurrences(SearchForm(text), SearchForm(query), kMaxMatches, got);
  if (got != expected) std::abort();

  // The same through the match list, the page shown at position 1 of 2.
  TextIndex index;
  index[1].chars = text;
  FindState find;
  find.query = SearchForm(query);
  const std::vector<int> positionOf = {0, 1};
  SearchPage(find, index, 1, positionOf);
  SortMatches(find, positionOf);
  if (find.matches.size() != expected.size()) std::abort();
  for (size_t i = 0; i < expected.size(); ++i)
    if (find.matches[i].start != expected[i] || find.matches[i].position != 1 ||
        find.matches[i].length != int(query.size()))
      std::abort();
  if (!query.empty() && index[1].lowerText.size() != text.size()) std::abort();  // built once, kept
  ChooseCurrentMatch(find, 0);
  if (!expected.empty() && find.current != 0) std::abort();
  return 0;
}
