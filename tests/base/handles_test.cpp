// The owned-handle wrappers: each handle is released exactly once, by
// whoever owns it last, and a selection is undone when it ends.
#include "base/handles.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

bool IsOpen(HANDLE h) {
  DWORD flags = 0;
  return GetHandleInformation(h, &flags) != FALSE;
}

TEST(Handles, KernelHandlesAreClosedOnceByTheirLastOwner) {
  HANDLE raw = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(raw, nullptr);
  {
    UniqueHandle first(raw);
    UniqueHandle second(std::move(first));
    EXPECT_FALSE(first);
    EXPECT_TRUE(IsOpen(raw)) << "a move closes nothing";
    UniqueHandle third;
    third = std::move(second);
    EXPECT_EQ(third.Get(), raw);
    EXPECT_TRUE(IsOpen(raw));
  }
  EXPECT_FALSE(IsOpen(raw)) << "closed when the last owner went";

  // Reset closes the old handle; Release hands it over without closing.
  HANDLE a = CreateEventW(nullptr, TRUE, FALSE, nullptr), b = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  UniqueHandle owner(a);
  owner.Reset(b);
  EXPECT_FALSE(IsOpen(a));
  EXPECT_EQ(owner.Release(), b);
  EXPECT_FALSE(owner);
  EXPECT_TRUE(IsOpen(b));
  CloseHandle(b);

  // A file that failed to open is "empty", not a handle to close.
  UniqueFile missing(CreateFileW(L"C:\\no\\such\\folder\\file.pdf", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                                 nullptr));
  EXPECT_FALSE(missing);
  EXPECT_EQ(missing.Get(), INVALID_HANDLE_VALUE);
}

TEST(Handles, GdiObjectsAndSelections) {
  UniqueDc dc(CreateCompatibleDC(nullptr));
  ASSERT_TRUE(dc);
  HGDIOBJ original = GetCurrentObject(dc.Get(), OBJ_BITMAP);
  HBITMAP raw = CreateCompatibleBitmap(dc.Get(), 8, 8);
  {
    Gdi<HBITMAP> bitmap(raw);
    {
      SelectedObject selected(dc.Get(), bitmap.Get());
      EXPECT_TRUE(selected);
      EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_BITMAP), raw);
    }
    EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_BITMAP), original) << "the selection is undone";
    EXPECT_EQ(GetObjectType(raw), DWORD(OBJ_BITMAP));
  }
  EXPECT_EQ(GetObjectType(raw), 0u) << "the bitmap is deleted with its owner";

  // Selecting nothing does nothing, and says so.
  SelectedObject none(dc.Get(), nullptr);
  EXPECT_FALSE(none);
  EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_BITMAP), original);
}

TEST(Handles, RegistryKeysAndSearches) {
  HKEY raw = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\FolivexTests\\Handles", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &raw, nullptr),
            ERROR_SUCCESS);
  {
    UniqueRegKey key(raw);
    EXPECT_EQ(RegSetValueExW(key.Get(), L"x", 0, REG_DWORD, reinterpret_cast<const BYTE*>("\1\0\0\0"), 4),
              ERROR_SUCCESS);
  }
  // A closed key can't be used any more.
  EXPECT_NE(RegSetValueExW(raw, L"x", 0, REG_DWORD, reinterpret_cast<const BYTE*>("\1\0\0\0"), 4), ERROR_SUCCESS);
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\FolivexTests\\Handles");

  wchar_t windows[MAX_PATH] = {};
  GetWindowsDirectoryW(windows, MAX_PATH);
  WIN32_FIND_DATAW found;
  HANDLE search = INVALID_HANDLE_VALUE;
  {
    UniqueFind owner(FindFirstFileW((std::wstring(windows) + L"\\*").c_str(), &found));
    ASSERT_TRUE(owner);
    search = owner.Get();
    EXPECT_TRUE(FindNextFileW(search, &found));
  }
  SetLastError(0);
  EXPECT_FALSE(FindNextFileW(search, &found)) << "the search is closed with its owner";
}

}  // namespace
