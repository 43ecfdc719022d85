// Reading a document's bookmark tree into the flat list the program shows,
// with the limits that keep a damaged or hostile file from running away.
#pragma once

#include <string>
#include <vector>

#include "engine/engine_types.h"

constexpr int kBookmarkDepthLimit = 25;      // depths 0..24 are read
constexpr size_t kBookmarkEntryLimit = 5000;

// The tree as an engine gives it. Items are opaque non-null handles.
class BookmarkSource {
 public:
  virtual ~BookmarkSource() = default;
  // The first child of `parent` (nullptr: the first top-level bookmark), or nullptr.
  virtual const void* FirstChild(const void* parent) = 0;
  virtual const void* NextSibling(const void* item) = 0;
  // The raw title (cleaned by the walk).
  virtual std::wstring Title(const void* item) = 0;
  // The 0-based page the bookmark leads to, or -1.
  virtual int Page(const void* item) = 0;
};

// Walks the tree in pre-order (a bookmark, its children, its next sibling).
// Bookmarks with an empty title are left out but their children are read; a
// handle met a second time ends the sibling loop it appears in.
std::vector<BookmarkEntry> CollectBookmarks(BookmarkSource& source);
