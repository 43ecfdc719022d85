#include "app/cleanup.h"

#include <windows.h>

#include "base/handles.h"

bool OlderThanOneDay(uint64_t lastWrite, uint64_t now) { return now > lastWrite && now - lastWrite > kOneDayIn100ns; }

namespace {

uint64_t AsNumber(const FILETIME& t) { return (uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime; }

// Deletes the file only when nobody has it open: a download in progress is
// open for writing with deleting allowed (so that its own program can take
// it away at exit), and a plain DeleteFileW would remove it under the writer
// as soon as the writer closes it.
void DeleteUnlessOpen(const std::wstring& path) {
  UniqueFile file(
      CreateFileW(path.c_str(), DELETE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
}

}  // namespace

void RunCleanup(const std::wstring& programPath, const std::wstring& tempFolder) {
  if (!programPath.empty()) {
    DeleteFileW((programPath + L".old").c_str());
    size_t cut = programPath.find_last_of(L'\\');
    if (cut != std::wstring::npos) DeleteFileW((programPath.substr(0, cut + 1) + L"pdfium.dll.old").c_str());
  }
  if (tempFolder.empty()) return;
  FILETIME nowTime;
  GetSystemTimeAsFileTime(&nowTime);
  const uint64_t now = AsNumber(nowTime);
  // Copies of brought-in PDFs and update downloads that a program which
  // ended left behind, once they are a day old and nobody has them open;
  // being a day old, no download in progress is near.
  for (const wchar_t* pattern : {L"Folivex-import-*.pdf", L"Folivex-update-*.exe", L"Folivex-Setup-*.exe"}) {
    WIN32_FIND_DATAW found;
    UniqueFind search(FindFirstFileW((tempFolder + pattern).c_str(), &found));
    if (!search) continue;
    do {
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      if (OlderThanOneDay(AsNumber(found.ftLastWriteTime), now)) DeleteUnlessOpen(tempFolder + found.cFileName);
    } while (FindNextFileW(search.Get(), &found));
  }
}
