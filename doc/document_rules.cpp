#include "doc/document_rules.h"

#include <cwchar>

int FilePageCount(int mainPageCount, int pageCount) { return mainPageCount < 1 ? pageCount : mainPageCount; }

PageOrder InitialOrder(int n, int pageCount, const PageOrder& pending) {
  if (!pending.empty() && pageCount > 0) {
    std::vector<bool> seen(static_cast<size_t>(pageCount), false);
    bool usable = true;
    for (int source : pending) {
      if (source < 0 || source >= pageCount || seen[static_cast<size_t>(source)]) {
        usable = false;
        break;
      }
      seen[static_cast<size_t>(source)] = true;
    }
    if (usable) return pending;
  }
  PageOrder order;
  for (int i = 0; i < n; ++i) order.push_back(i);
  return order;
}

bool KeepBroughtInPages(size_t pendingCount, int n, int pageCount) {
  return pendingCount > 0 && n >= 0 && pendingCount + static_cast<size_t>(n) == static_cast<size_t>(pageCount);
}

OpeningView StartViewFor(int defaultZoom) {
  OpeningView view;
  if (defaultZoom == 0)
    view.zoomMode = 0;
  else if (defaultZoom == 1)
    view.zoomMode = 1;
  else
    view.zoomMode = 2;  // actual size
  view.zoom = 100.0;
  view.rotation = 0;
  return view;
}

std::wstring OpenFailureMessage(uint32_t hr, const std::wstring& path) {
  if (hr == kOpenNoEngine)
    return L"No PDF engine is available on this PC.\n\n"
           L"Folivex needs 64-bit Windows 10 or 11 (or Windows 8.1 with its built-in PDF engine).\n\n"
           L"Help tab \u2192 Diagnostic Report says what went wrong.";
  wchar_t code[16];
  std::swprintf(code, 16, L"0x%08X", static_cast<unsigned>(hr));
  return L"Could not open this file as a PDF:\n\n" + path + L"\n\n(Error " + code +
         L" - the file may be damaged or not a PDF.)";
}

const wchar_t* PasswordPromptLine(bool triedWithPassword) {
  return triedWithPassword ? L"That password was not accepted. Try again:"
                           : L"This PDF is password protected. Enter the password to open it:";
}

std::wstring DisplayNameOf(const std::wstring& path) {
  size_t cut = path.find_last_of(L"\\/");
  return cut == std::wstring::npos ? path : path.substr(cut + 1);
}
