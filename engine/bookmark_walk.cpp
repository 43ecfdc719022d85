#include "engine/bookmark_walk.h"

#include <unordered_set>

namespace {

struct Walk {
  BookmarkSource& source;
  std::vector<BookmarkEntry> entries;
  std::unordered_set<const void*> seen;

  void Children(const void* parent, int depth) {
    if (depth >= kBookmarkDepthLimit) return;
    for (const void* item = source.FirstChild(parent); item; item = source.NextSibling(item)) {
      if (entries.size() >= kBookmarkEntryLimit) return;
      if (!seen.insert(item).second) return;
      std::wstring raw = source.Title(item);
      std::wstring title;
      title.reserve(raw.size());
      for (wchar_t c : raw) {
        if (c == 0) break;
        title.push_back(unsigned(c) <= 31 ? L' ' : c);
      }
      if (!title.empty()) entries.push_back({std::move(title), depth, source.Page(item)});
      Children(item, depth + 1);
    }
  }
};

}  // namespace

std::vector<BookmarkEntry> CollectBookmarks(BookmarkSource& source) {
  Walk walk{source, {}, {}};
  walk.Children(nullptr, 0);
  return std::move(walk.entries);
}
