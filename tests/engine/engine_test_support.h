// Helpers shared by the Windows engine tests: test data paths, scratch
// folders and one PDFium engine per test process.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/handles.h"
#include "engine/engine_bootstrap.h"
#include "engine/pdfium_engine.h"

namespace engine_test {

// A path inside the source tree. A Unix-style source path (the build ran on
// Linux and the tests run under Wine) is reached through drive Z:.
inline std::wstring SourcePath(const std::wstring& relative) {
  std::string root = FV_SOURCE_DIR;
  std::wstring path(root.begin(), root.end());
  path += L"/" + relative;
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  if (!path.empty() && path[0] == L'\\') path = L"Z:" + path;
  return path;
}

inline std::wstring DataFile(const wchar_t* name) { return SourcePath(std::wstring(L"tests/engine/data/") + name); }

inline std::wstring TempFolder() {
  wchar_t buffer[MAX_PATH + 1];
  DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
  std::wstring path(buffer, n);
  while (!path.empty() && path.back() == L'\\') path.pop_back();
  return path;
}

inline void RemoveTree(const std::wstring& path) {
  WIN32_FIND_DATAW found;
  // The search is closed before the folder is removed.
  if (UniqueFind search{FindFirstFileW((path + L"\\*").c_str(), &found)}) {
    do {
      std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring child = path + L"\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(child.c_str());
      }
    } while (FindNextFileW(search.Get(), &found));
  }
  RemoveDirectoryW(path.c_str());
}

// A fresh folder under the temporary folder, removed again at the end.
class ScratchFolder {
 public:
  ScratchFolder() {
    static int counter = 0;
    path_ = TempFolder() + L"\\fv-engine-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(GetTickCount()) + L"-" + std::to_wstring(++counter);
    CreateDirectoryW(path_.c_str(), nullptr);
  }
  ~ScratchFolder() { RemoveTree(path_); }
  const std::wstring& Path() const { return path_; }
  std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

 private:
  std::wstring path_;
};

inline bool WriteBytes(const std::wstring& path, const void* data, size_t size) {
  UniqueFile file(
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD done = 0;
  return WriteFile(file.Get(), data, DWORD(size), &done, nullptr) && done == size;
}

inline std::vector<uint8_t> ReadBytes(const std::wstring& path) {
  std::vector<uint8_t> bytes;
  UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return bytes;
  LARGE_INTEGER size{};
  if (GetFileSizeEx(file.Get(), &size)) {
    bytes.resize(size_t(size.QuadPart));
    DWORD read = 0;
    if (!ReadFile(file.Get(), bytes.data(), DWORD(bytes.size()), &read, nullptr) || read != bytes.size())
      bytes.clear();
  }
  return bytes;
}

inline bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The engine DLL written once per machine into a folder of the tests' own
// (later runs reuse the verified copy) and loaded once per test process.
inline PdfiumEngine& SharedPdfium() {
  static PdfiumEngine* engine = [] {
    auto* e = new PdfiumEngine();
    EngineLocation where = ExtractEngine(TempFolder() + L"\\FolivexEngineTests", PackedEngine());
    std::wstring status;
    if (!where.path.empty()) e->Load(where.path, status);
    return e;
  }();
  return *engine;
}

}  // namespace engine_test
