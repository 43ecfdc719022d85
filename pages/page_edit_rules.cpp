#include "pages/page_edit_rules.h"

#include <algorithm>
#include <cwctype>

namespace {

// A status text cut to fit a buffer of the given size (terminator
// included), as the status bar's buffers hold them.
std::wstring Fit(std::wstring text, size_t buffer) {
  if (text.size() > buffer - 1) text.resize(buffer - 1);
  return text;
}

std::wstring Number(int n) { return std::to_wstring(n); }

bool SamePath(const std::wstring& a, const std::wstring& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::towupper(wint_t(a[i])) != std::towupper(wint_t(b[i]))) return false;
  return true;
}

}  // namespace

PageOrder MovedOrder(const PageOrder& order, int from, int to) {
  PageOrder moved = order;
  const int source = moved[size_t(from)];
  moved.erase(moved.begin() + from);
  moved.insert(moved.begin() + to, source);
  return moved;
}

PageOrder OrderWithout(const PageOrder& order, int position) {
  PageOrder shorter = order;
  shorter.erase(shorter.begin() + position);
  return shorter;
}

PageOrder OrderWith(const PageOrder& order, int source, int at) {
  PageOrder longer = order;
  at = std::clamp(at, 0, int(order.size()));
  longer.insert(longer.begin() + at, source);
  return longer;
}

int MoveTarget(int to, int pageCount) { return std::clamp(to, 0, std::max(pageCount - 1, 0)); }

int SelectionAfterDelete(int position, int oldCount) { return std::min(position, oldCount - 2); }

int SelectionAfterUndo(const PageOrder& restored, int rememberedSource) {
  int found = -1;
  for (size_t p = 0; p < restored.size(); ++p)
    if (restored[p] == rememberedSource) found = int(p);
  return found < 0 ? 0 : found;
}

std::wstring MoveStatusText(int from, int to, bool orderChanged) {
  const std::wstring moved = L"Page " + Number(from + 1) + L" is now page " + Number(to + 1);
  if (orderChanged) return Fit(moved + L". Click Save (Ctrl+S) to keep the new order.", 200);
  return Fit(moved + L" \u2014 the pages are back in the order they were saved in.", 200);
}

std::wstring DeleteStatusText(int position) {
  return Fit(L"Deleted page " + Number(position + 1) +
                 L". Undo (Ctrl+Z) brings it back; the file only changes when you Save (Ctrl+S).",
             260);
}

std::wstring UndoStatusText(bool orderChanged) {
  return orderChanged ? L"Undid the last change. Click Save (Ctrl+S) to keep the pages as they are now."
                      : L"Undid the last change \u2014 the pages are back the way they were saved.";
}

std::wstring ImportStatusText(int page, const std::wstring& displayName, int at) {
  return Fit(L"Added page " + Number(page + 1) + L" of " + displayName + L" as page " + Number(at + 1) +
                 L". Save (Ctrl+S) keeps it; Undo (Ctrl+Z) takes it out.",
             420);
}

std::wstring NeedsPdfiumText(const std::wstring& action) {
  return action +
         L" needs Folivex's built-in PDF engine, which isn't in use right now (this PDF was opened with the Windows "
         L"engine instead).\n\nHelp tab \u2192 Diagnostic Report says why.";
}

int ReusableImport(const std::vector<ImportedPdf>& pdfs, const std::wstring& path, uint64_t size,
                   uint64_t lastWriteTime) {
  for (size_t i = 0; i < pdfs.size(); ++i)
    if (SamePath(pdfs[i].sentFrom, path) && pdfs[i].fileSize == size && pdfs[i].lastWriteTime == lastWriteTime)
      return int(i);
  return -1;
}

std::wstring ImportCopyPath(const std::wstring& tempFolder, unsigned long processId, int counter) {
  return tempFolder + L"Folivex-import-" + std::to_wstring(processId) + L"-" + Number(counter) + L".pdf";
}
