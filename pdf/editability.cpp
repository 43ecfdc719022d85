#include "pdf/editability.h"

#include <cwchar>
#include <new>

#include "app/app_state.h"
#include "app/document.h"
#include "app/event_log.h"
#include "pdf/pdf_reader.h"

namespace {

constexpr DWORD kReadChunk = 8388608;  // 8 MiB per ReadFile

const wchar_t kMemoryReason[] = L"There wasn't enough memory to examine this PDF.";

std::wstring CouldNotRead(DWORD code) { return L"The PDF file couldn't be read: " + SystemErrorText(code); }

std::wstring Widen(const std::string& text) {
  std::wstring wide;
  wide.reserve(text.size());
  for (unsigned char c : text) wide.push_back(wchar_t(c));
  return wide;
}

}  // namespace

std::wstring SystemErrorText(DWORD code) {
  wchar_t buffer[400] = {};
  DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buffer,
                           400, nullptr);
  std::wstring text(buffer, n < 400 ? n : 399);
  while (!text.empty() && (text.back() == L' ' || text.back() == L'\r' || text.back() == L'\n' ||
                           text.back() == L'\t'))
    text.pop_back();
  if (text.empty()) {
    wchar_t fallback[64];
    std::swprintf(fallback, 64, L"Windows error %lu.", static_cast<unsigned long>(code));
    return fallback;
  }
  return text;
}

bool ReadWholeFile(const std::wstring& path, std::vector<uint8_t>& bytes, std::wstring& error) {
  bytes.clear();
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    error = CouldNotRead(GetLastError());
    return false;
  }
  LARGE_INTEGER size = {};
  if (!GetFileSizeEx(file, &size)) {
    error = CouldNotRead(GetLastError());
    CloseHandle(file);
    return false;
  }
  if (uint64_t(size.QuadPart) > kMaxEditableFileBytes) {
    error = L"This PDF is bigger than 1 GB, which is too big for Folivex to rearrange.";
    CloseHandle(file);
    return false;
  }
  try {
    bytes.resize(size_t(size.QuadPart));
  } catch (const std::bad_alloc&) {
    error = kMemoryReason;
    CloseHandle(file);
    return false;
  }
  size_t done = 0;
  DWORD lastError = ERROR_HANDLE_EOF;
  while (done < bytes.size()) {
    DWORD want = DWORD(bytes.size() - done < kReadChunk ? bytes.size() - done : kReadChunk), got = 0;
    if (!ReadFile(file, bytes.data() + done, want, &got, nullptr)) {
      lastError = GetLastError();
      break;
    }
    if (got == 0) break;
    done += got;
  }
  CloseHandle(file);
  if (done < bytes.size()) {
    bytes.clear();
    error = CouldNotRead(lastError);
    return false;
  }
  return true;
}

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
      reason = kMemoryReason;
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
  MessageBoxW(g_app.mainWindow, message.c_str(), L"Folivex", MB_OK | MB_ICONINFORMATION);
  return false;
}
