// The edits of the page order and their undo: moving, deleting and bringing
// in pages. Each checks its conditions, pushes one undo step, installs the
// new order and shows the affected page with a status text. UI thread only.
#pragma once

#include <string>

// Moves the page at position `from` so that it ends at `to` (clamped).
void MovePage(int from, int to);
// Deletes the page at `position`; `statusText`, when not empty, replaces the
// standard status message.
void DeletePage(int position, const std::wstring& statusText = std::wstring());
// Brings in page `page` (0-based) of the PDF at `path` at position
// `insertAt`, reading it from a private copy. True when the page was added.
bool ImportPage(const std::wstring& path, const std::wstring& displayName, int page, int insertAt);
// Takes back the newest edit.
void Undo();

// True when the document was opened with PDFium; otherwise explains that
// `action` needs it and returns false.
bool RequirePdfium(const std::wstring& action);

// Makes `position` the selected page, shows it at the top of the view and
// puts `text` in the status bar.
void SelectAndShow(int position, const std::wstring& text);

// The page the Organize commands act on: the selected page, else the page at
// the view's reading line; -1 without a document.
int PageForCommands();
