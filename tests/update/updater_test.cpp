// A verified download that arrives while a print job runs waits, still
// locked against changes, instead of replacing the program under the print;
// ending the program then removes it.
#include "update/updater.h"

#include <gtest/gtest.h>

#include "base/win_util.h"
#include "doc/document.h"

namespace {

TEST(Updater, DownloadWaitsLockedWhilePrintingAndGoesAtExit) {
  const std::wstring path = TempFolder() + L"Folivex-update-test-" + std::to_wstring(GetCurrentProcessId()) + L".exe";
  {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(file);
    DWORD written = 0;
    WriteFile(file.Get(), "MZ", 2, &written, nullptr);
  }
  UpdaterSetup setup;
  setup.installMode = 1;  // an installed copy would start the installer
  StartUpdater(setup);

  auto* outcome = new DownloadOutcome();
  outcome->path = path;
  outcome->verified.Reset(
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(outcome->verified);
  g_busy.printing = true;
  EXPECT_TRUE(HandleUpdaterMessage(WM_FV_UPDATE_DOWNLOADED, 0, reinterpret_cast<LPARAM>(outcome)));
  g_busy.printing = false;

  // Still there, and nobody may change or delete it.
  UniqueFile writer(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr));
  EXPECT_FALSE(writer) << "the waiting download could be written to";
  EXPECT_FALSE(DeleteFileW(path.c_str())) << "the waiting download could be deleted";

  StopUpdater();
  EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES) << "the waiting download was left behind";
  DeleteFileW(path.c_str());
}

}  // namespace
