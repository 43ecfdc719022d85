// How the document reaches the windows above it. doc/ knows no window of
// its own: the page view, the page panel, the text index and the shell fill
// these in as they are made, and the document calls them when it changes.
// Every hook is optional. UI thread only.
#pragma once
#include <windows.h>

#include <string>

#include "engine/render_worker.h"

// The page view, the page panel and the text index.
struct DocumentViewHooks {
  // After a close: drop the text index with its links, the text selection,
  // the find matches and counts; lay out the view and the page panel.
  void (*documentClosed)() = nullptr;
  // After a load: lay out the view and the page panel; search again when the
  // find bar is open. The hook also brings the title and the status bar up
  // to date (the view does that once the first page is on screen).
  void (*documentLoaded)() = nullptr;
  // Scroll to a page position (the layout clamps it).
  void (*goToPosition)(int position) = nullptr;
  // The page order changed (an edit or an undo): take the per-position
  // sizes again and lay the pages out, keeping the current page in view.
  void (*pagesChanged)() = nullptr;
  // A page picture arrived in the cache, or the document changed: repaint.
  void (*picturesChanged)() = nullptr;
  // A thumbnail arrived in the cache: repaint the page panel.
  void (*thumbnailsChanged)() = nullptr;
  // A document was loaded or closed: the page panel lays its slots out again.
  void (*panelChanged)() = nullptr;
  // The keyboard goes to the page view.
  void (*focusView)() = nullptr;
  // What the text index holds of an engine page.
  TextEntryState (*textEntry)(int page) = nullptr;
  // Page text of the current generation arrived; the page is already out of
  // the pending set. The handler may move the text out; the record is freed
  // afterwards.
  void (*textArrived)(TextResult& result) = nullptr;
  // After a load the rest of the window (bars, status, title, the pages
  // next to the visible ones) waits for the first screen of pictures: the
  // page view's, and the page panel's thumbnails when the panel is shown.
  // True while the panel still waits for its first screen.
  bool (*thumbnailsAwaited)() = nullptr;
  // The panel has painted its first screen of a document just loaded.
  void (*thumbnailsShown)() = nullptr;
};
void SetDocumentViewHooks(const DocumentViewHooks& hooks);
const DocumentViewHooks& ViewHooks();

// The shell: title, status bar and the questions it asks the user.
struct ShellHooks {
  void (*updateTitle)() = nullptr;
  // The status bar's document fields and the command states.
  void (*updateStatus)() = nullptr;
  // The status bar's message field.
  void (*showMessage)(const std::wstring& text) = nullptr;
  std::wstring (*shownMessage)() = nullptr;
  // The password of a protected PDF; `again` after a wrong one. True with
  // the typed text when the user confirmed.
  bool (*askPassword)(HWND owner, bool again, std::wstring& typed) = nullptr;
};
void SetShellHooks(const ShellHooks& hooks);
// The title and the status bar, when a shell is there.
void UpdateShellTitle();
void UpdateShellStatus();
void ShowShellMessage(const std::wstring& text);
// What the status bar's message field shows now (empty without a shell).
std::wstring ShellMessage();
bool AskPassword(bool again, std::wstring& typed);

// The window that owns the document's messages and receives the worker's
// results (the main window); null before it exists.
void SetDocumentOwner(HWND window);
HWND DocumentOwner();
