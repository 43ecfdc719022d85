// Registration as a PDF program, through the real program: "Set as default
// PDF app…" writes the current user's entries naming the running program
// file, and a registered copy started from a new folder points them there.
#include <gtest/gtest.h>

#include <string>

#include "tests/gui/gui_harness.h"
#include "ui/commands.h"

namespace {

std::wstring TempDir() {
  wchar_t buffer[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, buffer);
  return buffer;
}

std::wstring CopyTo(const std::wstring& folder) {
  const std::wstring dir = TempDir() + folder;
  CreateDirectoryW(dir.c_str(), nullptr);
  const std::wstring exe = dir + L"\\Folivex.exe";
  EXPECT_TRUE(CopyFileW((BuildDir() + L"\\Folivex.exe").c_str(), exe.c_str(), FALSE));
  return exe;
}

// A REG_SZ of the current user, or "<missing>".
std::wstring UserText(const std::wstring& key, const wchar_t* name) {
  wchar_t value[1024] = {};
  DWORD bytes = sizeof(value);
  if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &bytes) != ERROR_SUCCESS)
    return L"<missing>";
  return value;
}

void ForgetRegistration() {
  for (const wchar_t* key : {L"Software\\Classes\\Corvane.Folivex.pdf", L"Software\\Classes\\Applications\\Folivex.exe",
                             L"Software\\Corvane\\Folivex\\Capabilities"})
    RegDeleteTreeW(HKEY_CURRENT_USER, key);
}

// Every entry the registration writes, for the program file `exe`.
void ExpectRegisteredFor(const std::wstring& exe) {
  const std::wstring command = L"\"" + exe + L"\" \"%1\"";
  const std::wstring classes = L"Software\\Classes\\";
  EXPECT_EQ(UserText(classes + L"Corvane.Folivex.pdf", nullptr), L"PDF Document");
  EXPECT_EQ(UserText(classes + L"Corvane.Folivex.pdf", L"FriendlyTypeName"), L"PDF Document");
  EXPECT_EQ(UserText(classes + L"Corvane.Folivex.pdf\\DefaultIcon", nullptr), L"\"" + exe + L"\",0");
  EXPECT_EQ(UserText(classes + L"Corvane.Folivex.pdf\\shell\\open\\command", nullptr), command);
  EXPECT_EQ(UserText(classes + L".pdf\\OpenWithProgids", L"Corvane.Folivex.pdf"), L"");
  EXPECT_EQ(UserText(classes + L"Applications\\Folivex.exe", L"FriendlyAppName"), L"Folivex");
  EXPECT_EQ(UserText(classes + L"Applications\\Folivex.exe\\shell\\open\\command", nullptr), command);
  EXPECT_EQ(UserText(classes + L"Applications\\Folivex.exe\\SupportedTypes", L".pdf"), L"");
  EXPECT_EQ(UserText(L"Software\\Corvane\\Folivex\\Capabilities", L"ApplicationName"), L"Folivex");
  EXPECT_EQ(UserText(L"Software\\Corvane\\Folivex\\Capabilities", L"ApplicationDescription"),
            L"Tiny portable PDF viewer by Corvane LLC");
  EXPECT_EQ(UserText(L"Software\\Corvane\\Folivex\\Capabilities\\FileAssociations", L".pdf"), L"Corvane.Folivex.pdf");
  EXPECT_EQ(UserText(L"Software\\RegisteredApplications", L"Folivex"), L"Software\\Corvane\\Folivex\\Capabilities");
}

TEST(DefaultAppGui, SetAsDefaultRegistersAndAMovedCopyRepairs) {
  ForgetRegistration();
  const std::wstring first = CopyTo(L"fvreg-first");
  {
    // Never registered: starting writes nothing.
    FolivexApp app(first, L"");
    ASSERT_NE(app.MainWindow(), nullptr);
    app.Settle(1000);
    EXPECT_EQ(UserText(L"Software\\Classes\\Corvane.Folivex.pdf\\shell\\open\\command", nullptr), L"<missing>");

    app.Command(CMD_SET_DEFAULT_APP);
    HWND ask = WaitForDialog(app, L"Make Folivex your default PDF app");
    ASSERT_NE(ask, nullptr);
    EXPECT_EQ(DialogMessage(ask).rfind(L"Windows only lets YOU choose the default app", 0), 0u);
    Press(ask, IDOK);
    // Wine has neither Windows' box nor its Settings page: the manual way
    // is explained.
    if (HWND manual = WaitForDialog(app, L"Default PDF app", 5000)) {
      EXPECT_EQ(DialogMessage(manual).rfind(L"Folivex couldn't open the Windows screen by itself.", 0), 0u);
      Press(manual, IDOK);
    }
    app.Settle(500);
    ExpectRegisteredFor(first);
    HWND ribbon = FindWindowExW(app.MainWindow(), nullptr, L"FVRibbon", nullptr);
    const std::wstring label = TextOf(GetDlgItem(ribbon, 41011));
    EXPECT_TRUE(label == L"Default: yes" || label == L"Default: no") << Narrow(label);
  }
  // The program file moves: its first start from the new place repairs.
  const std::wstring moved = CopyTo(L"fvreg-moved");
  DeleteFileW(first.c_str());
  {
    FolivexApp app(moved, L"");
    ASSERT_NE(app.MainWindow(), nullptr);
    app.Settle(1000);
    ExpectRegisteredFor(moved);
  }
}

// When the system already opens PDF files with this copy, the Settings tab
// says so and "Set as default" tells the user instead of sending them to
// Windows' screens. (Wine answers the question from the machine's classes,
// so the association is made there for the test and taken back after.)
TEST(DefaultAppGui, AlreadyTheDefaultSaysSoAndSendsNowhere) {
  const std::wstring exe = CopyTo(L"fvreg-default");
  static constexpr wchar_t kPdf[] = L"Software\\Classes\\.pdf";
  static constexpr wchar_t kOurs[] = L"Software\\Classes\\Corvane.Folivex.pdf";
  struct MachineAssociation {
    std::wstring before;
    bool had = false;
    MachineAssociation() {
      wchar_t value[512] = {};
      DWORD bytes = sizeof(value);
      had = RegGetValueW(HKEY_LOCAL_MACHINE, kPdf, nullptr, RRF_RT_REG_SZ, nullptr, value, &bytes) == ERROR_SUCCESS;
      before = value;
    }
    ~MachineAssociation() {
      if (had)
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, kPdf, nullptr, REG_SZ, before.c_str(),
                        DWORD((before.size() + 1) * sizeof(wchar_t)));
      else
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kPdf, nullptr);
      RegDeleteTreeW(HKEY_LOCAL_MACHINE, kOurs);
      ForgetRegistration();
    }
  } association;
  const std::wstring progId = L"Corvane.Folivex.pdf";
  const std::wstring command = L"\"" + exe + L"\" \"%1\"";
  ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, kPdf, nullptr, REG_SZ, progId.c_str(),
                            DWORD((progId.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, (std::wstring(kOurs) + L"\\shell\\open\\command").c_str(), nullptr,
                            REG_SZ, command.c_str(), DWORD((command.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);

  FolivexApp app(exe, L"");
  ASSERT_NE(app.MainWindow(), nullptr);
  app.Settle(500);
  HWND ribbon = FindWindowExW(app.MainWindow(), nullptr, L"FVRibbon", nullptr);
  EXPECT_EQ(TextOf(GetDlgItem(ribbon, 41011)), L"Default: yes");
  app.Command(CMD_SET_DEFAULT_APP);
  HWND box = WaitForDialog(app, nullptr);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(TextOf(box), L"Default PDF app");
  EXPECT_EQ(DialogMessage(box).rfind(L"Folivex is already your default PDF app", 0), 0u) << Narrow(DialogMessage(box));
  app.Screenshot(L"default_app_already");
  Press(box, IDOK);
  app.Settle(500);
  EXPECT_EQ(WaitForDialog(app, nullptr, 1000), nullptr) << "another box followed";
}

}  // namespace
