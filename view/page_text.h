// The text layer of the page view: the text index as pages arrive, the find
// and selection highlights, selecting with the mouse, copying, and links
// (hover descriptions, following them). The page view's window procedure
// hands its mouse and paint events here. UI thread only.
#pragma once
#include <windows.h>

#include "view/page_view_rules.h"

// Connects the text index to the document (page text arrivals, what the
// index holds of a page, page order changes). Called once by the page view.
void ConnectPageText();

// After a page's picture is drawn (documents served by PDFium): asks for the
// page's text when it lacks its boxes, and draws the find matches and the
// selection over the picture.
void DecorateTextOnPage(HDC dc, int position, const PageBox& box, DWORD paintTime, int clientWidth,
                        int clientHeight);

// Left button down in the view at (x, y): true when it pressed a link or
// started a selection drag (the view then captures the mouse for it);
// false when it was elsewhere, which clears the selection.
bool TextButtonDown(HWND view, int x, int y, bool shift);
// The pointer moved: extends a selection drag, or describes the link under
// it. True when a selection drag or a link press is going on.
bool TextMouseMove(HWND view, int x, int y);
// Button up: ends a selection drag or follows a pressed link. True when
// there was one.
bool TextButtonUp(HWND view, int x, int y);
// The capture was lost: ends a drag or a link press.
void TextCaptureLost(HWND view);
// Double-click: selects the word under the pointer. True when it hit text.
bool TextDoubleClick(int x, int y);
// Timer 8 during a selection drag: scrolls towards the pointer when it is
// outside the window, and extends the selection.
void TextAutoScroll(HWND view);
inline constexpr UINT_PTR kSelectionScrollTimer = 8;

// After the pages moved under a resting pointer (a scroll, a zoom): the
// cursor and the link description follow what is under it now.
void HoverWhereThePointerRests();

// The cursor the text layer wants (I-beam, hand), or null.
const wchar_t* TextCursor();

// Esc in the view: clears the selection, else closes the find bar. True
// when it did one of them.
bool TextEscape();

// The right-click menu at (x, y) of the view: Copy, Select All, Find.
void ShowTextMenu(HWND view, int x, int y);

// The commands.
void CopySelectedText();
void SelectAllDocumentText();

// The selected text when it lies within one page (for the find box);
// false otherwise.
bool SelectionWithinOnePage(std::wstring& text);
