#include "doc/bookmark_jump.h"

#include "doc/doc_hooks.h"
#include "doc/document.h"
#include "doc/document_open.h"
#include "doc/link_rules.h"

bool GoToBookmark(size_t index) {
  if (!g_doc.loaded || index >= g_doc.bookmarks.size()) return false;
  const BookmarkTarget target = TargetOfBookmark(g_doc.bookmarks[index], g_doc.pages.fileCount, g_doc.pages.positionOf);
  if (target.position < 0) {
    ShowShellMessage(target.message);
    return false;
  }
  GoToPosition(target.position);
  return true;
}

int CurrentBookmarkIndex() {
  if (!g_doc.loaded) return -1;
  return CurrentBookmark(g_doc.bookmarks, g_doc.pages.positionOf, CurrentPage(g_doc.view));
}
