// What links and bookmarks lead to, and the texts the user sees about them:
// the hover description, what following a link does (go to a page, refuse,
// or ask before opening a web or mail address), where a bookmark goes and
// which bookmark's section is being read. Platform-neutral.
#pragma once

#include <string>
#include <vector>

#include "engine/engine_types.h"

// The status text while the pointer is over a link: "Link: " and the
// address (at most 240 characters of it), "Link: click to go to page %d"
// with the target's on-screen number, or "Link to a page you deleted".
std::wstring LinkHoverText(const PageLink& link, const std::vector<int>& positionOf);

// The key of the link described last: position x 100000 + link index.
inline int LinkHoverKey(int position, int linkIndex) { return position * 100000 + linkIndex; }

enum class LinkAction {
  GoToPage,  // go to `position`, then show `message`
  Refuse,    // show `message` in the status bar, nothing else
  Ask,       // ask `question` (captioned "Open link"); on Yes open `address`
};
struct LinkDecision {
  LinkAction action = LinkAction::Refuse;
  int position = -1;
  std::wstring message;
  std::wstring question;
  std::wstring address;  // what the shell is asked to open
};
// Following a link: a page link goes to its page when that is still shown;
// a web link is opened only for http://, https:// and mailto: (compared
// without case; "www." gets "http://" in front), after the question.
LinkDecision DecideLink(const PageLink& link, const std::vector<int>& positionOf);

// A bookmark: its on-screen position, or -1 with the message that says why
// it leads nowhere ("That bookmark doesn't lead to a page in this PDF." or
// "That bookmark leads to a page you deleted.").
struct BookmarkTarget {
  int position = -1;
  std::wstring message;
};
BookmarkTarget TargetOfBookmark(const BookmarkEntry& entry, int fileCount, const std::vector<int>& positionOf);

// The bookmark whose section is being read: the entry with the largest
// target position not after `currentPage`, the last in list order among
// equal positions; entries whose page has no position don't count. -1 for
// none.
int CurrentBookmark(const std::vector<BookmarkEntry>& bookmarks, const std::vector<int>& positionOf,
                    int currentPage);
