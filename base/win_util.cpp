#include "base/win_util.h"

#include <cwchar>
#include <utility>
#include <new>

#include "base/handles.h"

namespace {

constexpr DWORD kReadChunk = 8388608;  // 8 MiB per ReadFile

std::wstring CouldNotRead(DWORD code) { return L"The PDF file couldn't be read: " + SystemErrorText(code); }

}  // namespace

std::wstring ProgramPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
    if (n == 0) return std::wstring();
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    // Cut to fit: try again with room to spare, up to the longest path Windows has.
    if (path.size() >= 32768) return std::wstring();
    path.resize(path.size() * 2);
  }
}

std::wstring TempFolder() {
  DWORD need = GetTempPathW(0, nullptr);
  if (need == 0) return std::wstring();
  std::wstring temp(need, L'\0');
  DWORD n = GetTempPathW(need, temp.data());
  if (n == 0 || n >= need) return std::wstring();
  temp.resize(n);
  return temp;
}

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
  UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) {
    error = CouldNotRead(GetLastError());
    return false;
  }
  LARGE_INTEGER size = {};
  if (!GetFileSizeEx(file.Get(), &size)) {
    error = CouldNotRead(GetLastError());
    return false;
  }
  if (uint64_t(size.QuadPart) > kMaxEditableFileBytes) {
    error = L"This PDF is bigger than 1 GB, which is too big for Folivex to rearrange.";
    return false;
  }
  try {
    bytes.resize(size_t(size.QuadPart));
  } catch (const std::bad_alloc&) {
    error = L"There wasn't enough memory to examine this PDF.";
    return false;
  }
  size_t done = 0;
  DWORD lastError = ERROR_HANDLE_EOF;
  while (done < bytes.size()) {
    DWORD want = DWORD(bytes.size() - done < kReadChunk ? bytes.size() - done : kReadChunk), got = 0;
    if (!ReadFile(file.Get(), bytes.data() + done, want, &got, nullptr)) {
      lastError = GetLastError();
      break;
    }
    if (got == 0) break;
    done += got;
  }
  if (done < bytes.size()) {
    bytes.clear();
    error = CouldNotRead(lastError);
    return false;
  }
  return true;
}

UniqueRegKey OpenRegistryKey(HKEY root, const wchar_t* path, REGSAM access) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path, 0, access, &key) != ERROR_SUCCESS) return UniqueRegKey();
  return UniqueRegKey(key);
}

bool ReadRegistryNumber(HKEY key, const wchar_t* name, DWORD& value) {
  DWORD read = 0, type = 0, size = sizeof(read);
  // A REG_DWORD written with fewer than 4 bytes would leave part of the
  // value unfilled, so only a full one counts.
  if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&read), &size) != ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof(read))
    return false;
  value = read;
  return true;
}

bool ReadRegistryText(HKEY key, const wchar_t* name, DWORD maxBytes, std::wstring& text) {
  std::wstring buffer(maxBytes / sizeof(wchar_t) + 1, L'\0');
  DWORD type = 0, size = maxBytes;
  if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS ||
      type != REG_SZ || size > maxBytes)
    return false;
  buffer.resize(wcsnlen(buffer.c_str(), size / sizeof(wchar_t)));
  text = std::move(buffer);
  return true;
}
