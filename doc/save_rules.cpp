#include "doc/save_rules.h"

#include <cmath>
#include <cwchar>
#include <cwctype>

bool IsPureReordering(const PageModel& pages) {
  if (pages.PageCount() != pages.fileCount) return false;
  for (int s : pages.order)
    if (s < 0 || s >= pages.fileCount) return false;
  return true;
}

std::wstring ProposedSaveAsName(const std::wstring& path, bool orderChanged, bool pureReordering) {
  const size_t slash = path.find_last_of(L"\\/");
  const size_t dot = path.find_last_of(L'.');
  std::wstring stem = path;
  if (dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash)) stem.resize(dot);
  if (!orderChanged) return stem + L" (copy).pdf";
  return stem + (pureReordering ? L" (rearranged).pdf" : L" (edited).pdf");
}

bool SamePathIgnoringCase(const std::wstring& a, const std::wstring& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::towlower(a[i]) != std::towlower(b[i])) return false;
  return true;
}

bool ReadBackMatches(int32_t status, const std::vector<float>& widths, const std::vector<float>& heights,
                     const std::vector<float>& screenWidths, const std::vector<float>& screenHeights) {
  if (status < 0) return false;
  const size_t n = screenWidths.size();
  if (screenHeights.size() != n || widths.size() != n || heights.size() != n) return false;
  for (size_t i = 0; i < n; ++i)
    if (!(std::fabs(widths[i] - screenWidths[i]) <= 1.0f) || !(std::fabs(heights[i] - screenHeights[i]) <= 1.0f))
      return false;
  return true;
}

std::wstring SaveTempName(const std::wstring& target, uint32_t processId, uint32_t counter) {
  wchar_t tail[64];
  std::swprintf(tail, 64, L".%lx-%lu.folivex-tmp", static_cast<unsigned long>(processId),
                static_cast<unsigned long>(counter));
  return target + tail;
}

std::wstring UnsavedChangesQuestion(const std::wstring& displayName) {
  return L"You changed the pages of " + displayName.substr(0, 699) +
         L" (moved, deleted or added some) but haven't saved that.\n\nSave it now?\n\n"
         L"Yes \u2014 save the pages as they are now in the PDF file\n"
         L"No \u2014 forget the changes (the file stays as it was)\n"
         L"Cancel \u2014 go back to the document";
}

std::wstring SavedStatusText(bool differentTarget, bool rebuilt, const std::wstring& displayName) {
  std::wstring text;
  if (differentTarget)
    text = L"Saved as " + displayName + L" (now open). The original file was not changed.";
  else if (rebuilt)
    text = L"Saved \u2014 " + displayName + L" now has the pages you see.";
  else
    text = L"Saved \u2014 the pages of " + displayName + L" are now in the new order.";
  if (text.size() > 399) text.resize(399);
  return text;
}

std::wstring ReplaceFailedText(bool differentTarget, const std::wstring& systemText) {
  return std::wstring(differentTarget ? L"Folivex couldn't create that file: " : L"Folivex couldn't replace the PDF file: ") +
         systemText +
         L"\n\nThe file may be read-only, in a protected folder, or open in another program. Your new page order "
         L"is still on screen \u2014 try Save As and pick another name or folder.";
}

std::wstring FolderNotWritableText(const std::wstring& systemText) {
  return L"Folivex couldn't write in that folder: " + systemText +
         L"\n\nThe folder may be read-only or protected. Try Save As and pick another folder, such as Documents or "
         L"the Desktop.";
}
