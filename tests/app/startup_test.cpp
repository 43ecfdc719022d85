#include "app/command_dispatch.h"
#include "app/startup.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "base/win_util.h"
#include "ui/commands.h"

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

  // Modifiers and keys reach the table as Windows reads them.
  auto commandFor = [&](BYTE modifiers, WORD key) {
    for (const ACCEL& a : entries)
      if (a.fVirt == (FVIRTKEY | modifiers) && a.key == key) return int(a.cmd);
    return 0;
  };
  EXPECT_EQ(commandFor(FCONTROL, 'O'), CMD_OPEN);
  EXPECT_EQ(commandFor(FCONTROL | FSHIFT, 'S'), CMD_SAVE_AS);
  EXPECT_EQ(commandFor(FCONTROL, 'S'), CMD_SAVE);
  EXPECT_EQ(commandFor(FSHIFT, VK_F3), CMD_FIND_PREV);
  EXPECT_EQ(commandFor(0, VK_F3), CMD_FIND_NEXT);
  EXPECT_EQ(commandFor(FALT, VK_END), CMD_MOVE_TO_END);
  EXPECT_EQ(commandFor(FCONTROL, VK_END), CMD_LAST_PAGE);
  EXPECT_EQ(commandFor(FCONTROL | FSHIFT, VK_OEM_PLUS), CMD_ZOOM_IN);
  EXPECT_EQ(commandFor(0, VK_DELETE), CMD_DELETE_PAGE);
}

TEST(Startup, ProgramPathIsWhole) {
  std::wstring path = ProgramPath();
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES, true);
  EXPECT_NE(path.find(L"fv_win_tests"), std::wstring::npos);
}

TEST(Startup, AFailedStepIsExplainedWithTheSystemsReason) {
  std::wstring text = StartupFailureText(L"its main window couldn't be created", ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(text.rfind(L"Folivex couldn't start: its main window couldn't be created.\n\n", 0), 0u);
  EXPECT_EQ(text.substr(text.find(L"\n\n") + 2), SystemErrorText(ERROR_NOT_ENOUGH_MEMORY));
  EXPECT_EQ(StartupFailureText(L"Windows refused its common controls", 0),
            L"Folivex couldn't start: Windows refused its common controls.");
}
