// The rules of the page edits as plain functions: the orders an edit makes,
// where the selection goes, and the texts the user reads. Platform-neutral.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "doc/page_order.h"

// The order after moving the page at `from` so that it ends at `to` (both
// valid positions).
PageOrder MovedOrder(const PageOrder& order, int from, int to);
// The order without the page at `position`.
PageOrder OrderWithout(const PageOrder& order, int position);
// The order with `source` inserted at `at` (clamped to 0..n).
PageOrder OrderWith(const PageOrder& order, int source, int at);

// Where a move really goes: `to` clamped to 0..n-1.
int MoveTarget(int to, int pageCount);
// The page selected after deleting `position` of `oldCount` pages: the one
// that moved up into the gap, or the new last page.
int SelectionAfterDelete(int position, int oldCount);
// The page selected after an undo: the last position that shows the source
// that was selected before, else 0.
int SelectionAfterUndo(const PageOrder& restored, int rememberedSource);

// Status texts (from and to, position, page are 0-based here).
std::wstring MoveStatusText(int from, int to, bool orderChanged);
std::wstring DeleteStatusText(int position);
std::wstring UndoStatusText(bool orderChanged);
std::wstring ImportStatusText(int page, const std::wstring& displayName, int at);
// The refusal of an edit that needs PDFium, for a document opened with the
// Windows engine; `action` names the edit ("Deleting pages").
std::wstring NeedsPdfiumText(const std::wstring& action);

inline constexpr wchar_t kOnlyPageLeftText[] =
    L"This is the only page left, and a PDF needs at least one page, so it can't be deleted.";

// The brought-in PDF whose copy can be used again for a page sent from
// `path`: the same path (letter case aside), size and last-write time as
// when its copy was made. -1 when there is none.
int ReusableImport(const std::vector<ImportedPdf>& pdfs, const std::wstring& path, uint64_t size,
                   uint64_t lastWriteTime);
// The name of the n-th private copy of this process: "<temp>Folivex-import-
// <pid>-<n>.pdf", `tempFolder` ending in its separator.
std::wstring ImportCopyPath(const std::wstring& tempFolder, unsigned long processId, int counter);
