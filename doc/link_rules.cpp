#include "doc/link_rules.h"

#include <cstdio>

namespace {

int PositionOfPage(int page, const std::vector<int>& positionOf) {
  if (page < 0 || size_t(page) >= positionOf.size()) return -1;
  return positionOf[size_t(page)];
}

std::wstring AsciiLower(std::wstring text) {
  for (wchar_t& c : text)
    if (c >= L'A' && c <= L'Z') c = wchar_t(c + 32);
  return text;
}

bool StartsWith(const std::wstring& text, const wchar_t* prefix) { return text.rfind(prefix, 0) == 0; }

}  // namespace

std::wstring LinkHoverText(const PageLink& link, const std::vector<int>& positionOf) {
  if (link.targetPage < 0) return L"Link: " + link.uri.substr(0, 240);
  const int position = PositionOfPage(link.targetPage, positionOf);
  if (position < 0) return L"Link to a page you deleted";
  wchar_t text[80];
  std::swprintf(text, 80, L"Link: click to go to page %d", position + 1);
  return text;
}

LinkDecision DecideLink(const PageLink& link, const std::vector<int>& positionOf) {
  LinkDecision d;
  if (link.targetPage >= 0) {
    const int position = PositionOfPage(link.targetPage, positionOf);
    if (position < 0) {
      d.message = L"That link leads to a page you deleted.";
      return d;
    }
    wchar_t text[80];
    std::swprintf(text, 80, L"Followed a link to page %d.", position + 1);
    d.action = LinkAction::GoToPage;
    d.position = position;
    d.message = text;
    return d;
  }
  std::wstring address = link.uri;
  std::wstring lower = AsciiLower(address);
  if (StartsWith(lower, L"www.")) {
    address = L"http://" + address;
    lower = L"http://" + lower;
  }
  if (!StartsWith(lower, L"http://") && !StartsWith(lower, L"https://") && !StartsWith(lower, L"mailto:")) {
    d.message = L"This link doesn't lead to a web page, an email address or another page, so Folivex won't open it.";
    return d;
  }
  const std::wstring shown = address.size() <= 300 ? address : address.substr(0, 300) + L"\u2026";
  d.action = LinkAction::Ask;
  d.address = address;
  d.question = L"This link leads outside the PDF, to:\n\n" + shown +
               L"\n\nOpen it? (Only open links you trust \u2014 a PDF can show one address and lead to another, so "
               L"check the address above.)";
  return d;
}

BookmarkTarget TargetOfBookmark(const BookmarkEntry& entry, int fileCount, const std::vector<int>& positionOf) {
  BookmarkTarget t;
  t.position = PositionOfPage(entry.page, positionOf);
  if (t.position >= 0) return t;
  if (entry.page < 0 || entry.page >= fileCount)
    t.message = L"That bookmark doesn't lead to a page in this PDF.";
  else
    t.message = L"That bookmark leads to a page you deleted.";
  return t;
}

int CurrentBookmark(const std::vector<BookmarkEntry>& bookmarks, const std::vector<int>& positionOf,
                    int currentPage) {
  int best = -1, bestPosition = -1;
  for (size_t i = 0; i < bookmarks.size(); ++i) {
    const int position = PositionOfPage(bookmarks[i].page, positionOf);
    if (position < 0 || position > currentPage) continue;
    if (position >= bestPosition) {
      best = int(i);
      bestPosition = position;
    }
  }
  return best;
}
