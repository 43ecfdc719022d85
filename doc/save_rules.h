// The decisions and texts of saving that need no file and no window: what
// kind of save a page order asks for, the name Save As proposes, whether
// the file read back matches the screen, and the messages. Platform-neutral.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "doc/page_order.h"

// Only the file's own pages, each once: our own writer can append the new
// order; anything else (a page deleted or brought in) needs a rebuild.
bool IsPureReordering(const PageModel& pages);

// Save As's proposal: the path without its extension plus " (rearranged).pdf"
// (a pure reordering that changed the order), " (edited).pdf" (any other
// change) or " (copy).pdf" (nothing changed).
std::wstring ProposedSaveAsName(const std::wstring& path, bool orderChanged, bool pureReordering);

// Whether two paths name the same file, ignoring letter case.
bool SamePathIgnoringCase(const std::wstring& a, const std::wstring& b);

// The read-back check: a status that is not negative, one page per position
// and every side within 1 unit (1/96 inch) of the screen's.
bool ReadBackMatches(int32_t status, const std::vector<float>& widths, const std::vector<float>& heights,
                     const std::vector<float>& screenWidths, const std::vector<float>& screenHeights);

// The name of the file a save builds beside `target` before it takes its
// place: unique through the process id and a counter, and recognisable.
std::wstring SaveTempName(const std::wstring& target, uint32_t processId, uint32_t counter);

// The question before unsaved page changes would be lost.
std::wstring UnsavedChangesQuestion(const std::wstring& displayName);

// The status text after a successful save (at most 399 characters).
std::wstring SavedStatusText(bool differentTarget, bool rebuilt, const std::wstring& displayName);

// The message after the last of the attempts to put the new file in place.
std::wstring ReplaceFailedText(bool differentTarget, const std::wstring& systemText);
// The message when a folder can't be written.
std::wstring FolderNotWritableText(const std::wstring& systemText);

inline constexpr wchar_t kOriginalUnchanged[] = L"\n\nYour original PDF has not been changed.";
inline constexpr wchar_t kSaveFailedCaption[] = L"Folivex couldn't save";
inline constexpr wchar_t kSavingText[] = L"Saving\u2026";
inline constexpr wchar_t kNotSavedText[] = L"Not saved.";
inline constexpr wchar_t kSaveDialogTitle[] = L"Save this PDF under a new name";
inline constexpr wchar_t kBuildFailedText[] = L"The new file couldn't be built.";
inline constexpr wchar_t kSaveMemoryText[] = L"There wasn't enough memory to save this PDF.";
inline constexpr wchar_t kReadBackText[] =
    L"Folivex built the new file, but when Windows read it back the pages didn't match what's on screen, so it "
    L"was thrown away.\n\nYour original PDF has not been changed.";
inline constexpr wchar_t kReadOnlyText[] =
    L"This PDF file is marked read-only, so Folivex can't change it.\n\nYour new page order is still on screen "
    L"\u2014 use Organize tab \u2192 Save As to save it under another name.";
inline constexpr wchar_t kReopenFailedText[] =
    L"The new file was saved, but Folivex couldn't open it again. Try opening it with Open.";
inline constexpr wchar_t kChangedOnDiskText[] =
    L"The PDF on disk was changed by another program since Folivex opened it, so the pages you see can't be "
    L"saved into it safely. Use Save As to save them under another name, or open the file again to see the "
    L"other program's version.\n\nYour original PDF has not been changed.";
