#include "app/cleanup.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "base/handles.h"

namespace {

std::wstring MakeFolder() {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::wstring folder = std::wstring(temp) + L"folivex-cleanup-test\\";
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

void Touch(const std::wstring& path, double hoursOld) {
  UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  ASSERT_NE(file.Get(), INVALID_HANDLE_VALUE);
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  uint64_t t = (uint64_t(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  t -= uint64_t(hoursOld * 36000000000.0);
  FILETIME when = {DWORD(t), DWORD(t >> 32)};
  SetFileTime(file.Get(), nullptr, nullptr, &when);
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

TEST(Cleanup, AgeRule) {
  EXPECT_FALSE(OlderThanOneDay(1000, 1000 + kOneDayIn100ns));
  EXPECT_TRUE(OlderThanOneDay(1000, 1001 + kOneDayIn100ns));
  EXPECT_FALSE(OlderThanOneDay(5000, 1000));  // written "in the future"
}

TEST(Cleanup, RemovesLeftoversAndKeepsRecentCopies) {
  std::wstring folder = MakeFolder();
  std::wstring program = folder + L"Folivex.exe";
  Touch(program, 0);
  Touch(program + L".old", 0);
  Touch(folder + L"pdfium.dll.old", 0);
  Touch(folder + L"Folivex-import-7-1.pdf", 25);
  Touch(folder + L"Folivex-import-7-2.pdf", 23);
  Touch(folder + L"other-25h.pdf", 25);

  RunCleanup(program, folder);
  EXPECT_TRUE(Exists(program));
  EXPECT_FALSE(Exists(program + L".old"));
  EXPECT_FALSE(Exists(folder + L"pdfium.dll.old"));
  EXPECT_FALSE(Exists(folder + L"Folivex-import-7-1.pdf"));
  EXPECT_TRUE(Exists(folder + L"Folivex-import-7-2.pdf"));
  EXPECT_TRUE(Exists(folder + L"other-25h.pdf"));

  // Update downloads: a day-old one nobody has open is a leftover. One a
  // running copy has open stays (its writer lets others delete, so that the
  // program can remove it at exit), and so does a fresh one between its
  // writing and its checks.
  const std::wstring held = folder + L"Folivex-update-1.6.3.exe";
  const std::wstring fresh = folder + L"Folivex-update-1.6.4.exe";
  Touch(folder + L"Folivex-Setup-1.6.3.exe", 25);
  Touch(held, 25);
  Touch(fresh, 0);
  {
    UniqueFile writer(
        CreateFileW(held.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(writer);
    RunCleanup(program, folder);
  }
  EXPECT_TRUE(Exists(held)) << "a download in use was deleted";
  EXPECT_TRUE(Exists(fresh)) << "a fresh download was deleted";
  EXPECT_FALSE(Exists(folder + L"Folivex-Setup-1.6.3.exe"));
  RunCleanup(program, folder);
  EXPECT_FALSE(Exists(held));
  DeleteFileW(fresh.c_str());

  for (const wchar_t* name : {L"Folivex.exe", L"Folivex-import-7-2.pdf", L"other-25h.pdf"})
    DeleteFileW((folder + name).c_str());
  RemoveDirectoryW(folder.c_str());
}

}  // namespace
