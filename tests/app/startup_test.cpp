#include "app/startup.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

TEST(Startup, AcceleratorTable) {
  std::vector<ACCEL> entries = AcceleratorEntries();
  ASSERT_EQ(entries.size(), 34u);
  std::set<std::pair<int, int>> keys;
  for (const ACCEL& a : entries) {
    EXPECT_TRUE(a.fVirt & FVIRTKEY);
    EXPECT_TRUE(keys.insert({a.fVirt, a.key}).second) << "key " << a.key << " bound twice";
  }
  HACCEL table = CreateAcceleratorTableW(entries.data(), int(entries.size()));
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(CopyAcceleratorTableW(table, nullptr, 0), 34);
  DestroyAcceleratorTable(table);
}

TEST(Startup, ProgramPathIsWhole) {
  std::wstring path = ProgramPath();
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES, true);
  EXPECT_NE(path.find(L"fv_win_tests"), std::wstring::npos);
}
