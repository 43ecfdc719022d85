#include "ui/shell_ops.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cstring>

#include "base/event_log.h"

namespace {

// Empties the clipboard and hands it the block; the clipboard owns the block
// once it took it, otherwise it is freed here.
bool PutOnClipboard(HWND owner, UINT format, HGLOBAL block) {
  if (!OpenClipboard(owner)) {
    GlobalFree(block);
    return false;
  }
  EmptyClipboard();
  const bool taken = SetClipboardData(format, block) != nullptr;
  if (!taken) GlobalFree(block);
  CloseClipboard();
  return taken;
}

}  // namespace

bool OpenWithShell(HWND owner, const std::wstring& target, const std::wstring& parameters) {
  INT_PTR result = reinterpret_cast<INT_PTR>(ShellExecuteW(
      owner, L"open", target.c_str(), parameters.empty() ? nullptr : parameters.c_str(), nullptr, SW_SHOWNORMAL));
  if (parameters.empty())
    LogEvent(L"open \"%ls\" with the shell: result %lu", target.c_str(), static_cast<unsigned long>(result));
  else
    LogEvent(L"open \"%ls\" %ls with the shell: result %lu", target.c_str(), parameters.c_str(),
             static_cast<unsigned long>(result));
  return result > 32;
}

bool CopyTextToClipboard(HWND owner, const std::wstring& text) {
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (!block) return false;
  void* p = GlobalLock(block);
  if (!p) {
    GlobalFree(block);
    return false;
  }
  std::memcpy(p, text.c_str(), bytes);
  GlobalUnlock(block);
  return PutOnClipboard(owner, CF_UNICODETEXT, block);
}

bool CopyFileToClipboard(HWND owner, const std::wstring& path) {
  static_assert(sizeof(DROPFILES) == 20, "the file list follows a 20-byte header");
  // The header, the path, its terminator and the empty name that ends the
  // list (the zero fill supplies both).
  const size_t bytes = sizeof(DROPFILES) + path.size() * sizeof(wchar_t) + 2 * sizeof(wchar_t);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
  if (!block) return false;
  auto* header = static_cast<DROPFILES*>(GlobalLock(block));
  if (!header) {
    GlobalFree(block);
    return false;
  }
  header->pFiles = sizeof(DROPFILES);
  header->fWide = TRUE;
  std::memcpy(reinterpret_cast<BYTE*>(header) + sizeof(DROPFILES), path.data(), path.size() * sizeof(wchar_t));
  GlobalUnlock(block);
  return PutOnClipboard(owner, CF_HDROP, block);
}
