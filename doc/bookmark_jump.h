// Going to where a bookmark leads, for every window that lists or offers
// bookmarks. UI thread only.
#pragma once

#include <cstddef>

// Goes to the on-screen page of bookmark `index` of the open document, or
// says in the status bar why it can't ("That bookmark doesn't lead to a page
// in this PDF." or "That bookmark leads to a page you deleted."). True when
// it went there.
bool GoToBookmark(size_t index);

// The bookmark whose section holds the current page, -1 for none.
int CurrentBookmarkIndex();
