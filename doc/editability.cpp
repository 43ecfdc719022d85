#include "doc/editability.h"

#include <windows.h>

#include <new>

#include "base/event_log.h"
#include "base/win_util.h"
#include "doc/doc_hooks.h"
#include "doc/document.h"
#include "pdf/pdf_reader.h"

namespace {

std::wstring Widen(const std::string& text) {
  std::wstring wide;
  wide.reserve(text.size());
  for (unsigned char c : text) wide.push_back(wchar_t(c));
  return wide;
}

}  // namespace

std::wstring EditabilityReason(const std::vector<uint8_t>& bytes, size_t filePages) {
  return Widen(PdfEditabilityReason(bytes.data(), bytes.size(), filePages));
}

bool EnsureEditable() {
  if (g_doc.editState == kEditNotChecked) {
    HCURSOR old = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    std::wstring reason;
    try {
      std::vector<uint8_t> bytes;
      if (ReadWholeFile(g_doc.path, bytes, reason)) {
        // Compare with the file's own page count, not with the positions on
        // screen: those differ once pages were brought in or an unsaved
        // order was kept after a failed save.
        reason = EditabilityReason(bytes, size_t(g_doc.pages.fileCount));
      }
    } catch (const std::bad_alloc&) {
      reason = L"There wasn't enough memory to examine this PDF.";
    }
    g_doc.editState = reason.empty() ? kEditAllowed : kEditRefused;
    g_doc.editRefusal = reason;
    LogEvent(L"EnsureEditable state=%d why=%ls", g_doc.editState, reason.c_str());
    SetCursor(old);
  }
  if (g_doc.editState == kEditAllowed) return true;
  LogEvent(L"EnsureEditable refuses: %ls", g_doc.editRefusal.c_str());
  std::wstring message = L"The pages of this PDF can't be rearranged.\n\n" + g_doc.editRefusal +
                         L"\n\nYou can still read, print and send it as usual.";
  MessageBoxW(DocumentOwner(), message.c_str(), L"Folivex", MB_OK | MB_ICONINFORMATION);
  return false;
}
