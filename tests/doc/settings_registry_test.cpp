// The settings against the real registry. Each test redirects
// HKEY_CURRENT_USER to a private scratch key (RegOverridePredefKey), so the
// code under test opens its usual path while the user's own settings stay
// untouched; the scratch key is removed afterwards.
#include "doc/settings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/handles.h"

namespace {

// The key at `path` under `parent`; empty when it can't be opened.
UniqueRegKey OpenKey(HKEY parent, const wchar_t* path, REGSAM access) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(parent, path, 0, access, &key) != ERROR_SUCCESS) return UniqueRegKey();
  return UniqueRegKey(key);
}

class SettingsRegistry : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = L"Software\\FolivexTests\\Settings-" + std::to_wstring(GetCurrentProcessId());
    RegDeleteTreeW(HKEY_CURRENT_USER, root_.c_str());
    HKEY root = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, root_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &root, nullptr),
              ERROR_SUCCESS);
    rootKey_.Reset(root);
    ASSERT_EQ(RegOverridePredefKey(HKEY_CURRENT_USER, rootKey_.Get()), ERROR_SUCCESS);
    g_settings = Settings{};
  }

  void TearDown() override {
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    rootKey_.Reset();  // closed before its tree is deleted
    RegDeleteTreeW(HKEY_CURRENT_USER, root_.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\FolivexTests");  // only when empty
    g_settings = Settings{};
  }

  // Writes a value of any type and size straight into the program key.
  void Put(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    HKEY raw = nullptr;
    ASSERT_EQ(RegCreateKeyExW(rootKey_.Get(), kSettingsKeyPath, 0, nullptr, 0, KEY_WRITE, nullptr,
                              &raw, nullptr),
              ERROR_SUCCESS);
    UniqueRegKey key(raw);
    EXPECT_EQ(RegSetValueExW(key.Get(), name, 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
  }
  void PutDword(const wchar_t* name, DWORD value) { Put(name, REG_DWORD, &value, sizeof value); }
  void PutText(const wchar_t* name, DWORD type, const std::wstring& text, bool withNul = true) {
    Put(name, type, text.c_str(), static_cast<DWORD>((text.size() + (withNul ? 1 : 0)) * 2));
  }

  // Type and raw bytes of a stored value; false when it is missing.
  bool Get(const wchar_t* name, DWORD& type, std::vector<BYTE>& data) {
    UniqueRegKey key = OpenKey(rootKey_.Get(), kSettingsKeyPath, KEY_READ);
    if (!key) return false;
    DWORD size = 0;
    LSTATUS rc = RegQueryValueExW(key.Get(), name, nullptr, &type, nullptr, &size);
    if (rc == ERROR_SUCCESS) {
      data.resize(size);
      rc = RegQueryValueExW(key.Get(), name, nullptr, &type, data.data(), &size);
      data.resize(size);
    }
    return rc == ERROR_SUCCESS;
  }

  bool KeyExists() { return bool(OpenKey(rootKey_.Get(), kSettingsKeyPath, KEY_READ)); }

  void DeleteKey() { RegDeleteTreeW(rootKey_.Get(), kSettingsKeyPath); }

  std::wstring root_;
  UniqueRegKey rootKey_;
};

void ExpectStartupDefaults() {
  EXPECT_EQ(g_settings.DefaultZoom, 0);      // fit width
  EXPECT_EQ(g_settings.ReopenLast, 1);       // reopen last on
  EXPECT_EQ(g_settings.Background, 0);       // dark gray
  EXPECT_EQ(g_settings.PageShadow, 1);       // shadows on
  EXPECT_EQ(g_settings.PrintScale, 0);       // fit to paper
  EXPECT_EQ(g_settings.PrintQuality, 1);     // normal
  EXPECT_EQ(g_settings.PrintAutoRotate, 1);  // auto-rotate on
  EXPECT_EQ(g_settings.AutoUpdate, 1);       // updates on
  EXPECT_EQ(g_settings.PagePanel, 1);        // page panel shown
}

}  // namespace

TEST_F(SettingsRegistry, MissingKeyGivesEveryDefaultAndWritesNothing) {
  DeleteKey();
  ASSERT_FALSE(KeyExists());
  g_settings = Settings{7, 0, 9, 0, 4, 8, 0, 0, 0};
  LoadStartupSettings();
  ExpectStartupDefaults();
  EXPECT_EQ(ReadLastFile(), L"");
  EXPECT_EQ(ReadSeenVersion(), L"");
  EXPECT_EQ(ReadLastPage(), 0);
  EXPECT_EQ(LoadNumberSetting(SettingName::MailPort), 465);
  EXPECT_EQ(LoadNumberSetting(SettingName::ShareVia), 0);
  EXPECT_EQ(ReadSettingText(SettingName::ShareLink, L"fallback"), L"fallback");
  WINDOWPLACEMENT wp{};
  EXPECT_FALSE(ReadWindowPlacement(wp));
  std::vector<uint8_t> blob{1, 2, 3};
  EXPECT_FALSE(ReadSettingBinary(SettingName::MailPassword, blob));
  EXPECT_TRUE(blob.empty());
  DeleteSettingValue(SettingName::MailPassword);
  EXPECT_FALSE(KeyExists());  // reading never creates the key
}

TEST_F(SettingsRegistry, StoredNumbersAreRangeChecked) {
  PutDword(SettingName::DefaultZoom, 7);
  PutDword(SettingName::ReopenLast, 0);
  PutDword(SettingName::Background, 0xFFFFFFFF);
  PutDword(SettingName::PageShadow, 0);
  PutDword(SettingName::PrintScale, 5);
  PutDword(SettingName::PrintQuality, 0x80000000);
  PutDword(SettingName::PrintAutoRotate, 0);
  PutDword(SettingName::AutoUpdate, 0);
  PutDword(SettingName::PagePanel, 42);
  LoadStartupSettings();
  EXPECT_EQ(g_settings.DefaultZoom, 2);  // actual size
  EXPECT_EQ(g_settings.ReopenLast, 0);
  EXPECT_EQ(g_settings.Background, 3);  // white
  EXPECT_EQ(g_settings.PageShadow, 0);
  EXPECT_EQ(g_settings.PrintScale, 1);  // actual size
  EXPECT_EQ(g_settings.PrintQuality, 2);
  EXPECT_EQ(g_settings.PrintAutoRotate, 0);
  EXPECT_EQ(g_settings.AutoUpdate, 0);
  EXPECT_EQ(g_settings.PagePanel, 1);

  PutDword(SettingName::ShareVia, 9);
  EXPECT_EQ(LoadNumberSetting(SettingName::ShareVia), 7);
  PutDword(SettingName::LastPage, 12);
  EXPECT_EQ(ReadLastPage(), 12);
  // Reading is all it does: the stored values stay as they were.
  DWORD type = 0;
  std::vector<BYTE> data;
  ASSERT_TRUE(Get(SettingName::DefaultZoom, type, data));
  ASSERT_EQ(data.size(), 4u);
  EXPECT_EQ(data[0], 7);
}

TEST_F(SettingsRegistry, NumbersOfAnotherTypeOrSizeLeaveTheDefault) {
  PutText(SettingName::DefaultZoom, REG_SZ, L"2");
  unsigned long long q = 2;
  Put(SettingName::Background, REG_QWORD, &q, sizeof q);
  const BYTE two[4] = {2, 0, 0, 0};
  Put(SettingName::PrintQuality, REG_BINARY, two, sizeof two);
  const BYTE zero[4] = {0, 0, 0, 0};
  Put(SettingName::PageShadow, REG_DWORD_BIG_ENDIAN, zero, sizeof zero);
  // REG_DWORD with too few or too many bytes.
  Put(SettingName::AutoUpdate, REG_DWORD, zero, 2);
  const BYTE eight[8] = {0};
  Put(SettingName::PagePanel, REG_DWORD, eight, sizeof eight);
  Put(SettingName::PrintAutoRotate, REG_DWORD, nullptr, 0);
  LoadStartupSettings();
  ExpectStartupDefaults();
}

TEST_F(SettingsRegistry, WriteNumberCreatesTheKeyAndStoresADword) {
  DeleteKey();
  WriteSettingNumber(SettingName::Background, 2);
  WriteLastPage(-1);
  DWORD type = 0;
  std::vector<BYTE> data;
  ASSERT_TRUE(Get(SettingName::Background, type, data));
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  ASSERT_EQ(data.size(), 4u);
  EXPECT_EQ(data[0], 2);
  EXPECT_EQ(ReadSettingNumber(SettingName::Background, 0), 2u);
  EXPECT_EQ(ReadSettingNumber(SettingName::LastPage, 0), 0xFFFFFFFFu);
  EXPECT_EQ(ReadLastPage(), -1);
}

TEST_F(SettingsRegistry, TextsRoundTripAndOnlyRegSzCounts) {
  DeleteKey();
  const std::wstring path = L"C:\\Users\\J\u00f6rg\\Documents\\\u65e5\u672c.pdf";
  WriteLastFile(path);
  EXPECT_EQ(ReadLastFile(), path);
  DWORD type = 0;
  std::vector<BYTE> data;
  ASSERT_TRUE(Get(SettingName::LastFile, type, data));
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(data.size(), (path.size() + 1) * 2);  // terminating NUL stored
  EXPECT_EQ(data[data.size() - 1], 0);
  EXPECT_EQ(data[data.size() - 2], 0);

  WriteSeenVersion(L"1.6.2");
  EXPECT_EQ(ReadSeenVersion(), L"1.6.2");
  WriteSeenVersion(L"");
  EXPECT_EQ(ReadSettingText(SettingName::SeenVersion, L"x"), L"");  // stored empty text wins

  PutText(SettingName::LastFile, REG_EXPAND_SZ, L"%USERPROFILE%\\a.pdf");
  EXPECT_EQ(ReadLastFile(), L"");
  PutText(SettingName::MailServer, REG_MULTI_SZ, std::wstring(L"smtp\0", 5));
  EXPECT_EQ(ReadSettingText(SettingName::MailServer, L"d"), L"d");
  PutDword(SettingName::MailUser, 5);
  EXPECT_EQ(ReadSettingText(SettingName::MailUser, L"d"), L"d");
}

TEST_F(SettingsRegistry, TextEndsAtNulOrDataAndLongTextsAreRefused) {
  PutText(SettingName::LastFile, REG_SZ, L"C:\\no-terminator.pdf", false);
  EXPECT_EQ(ReadLastFile(), L"C:\\no-terminator.pdf");
  PutText(SettingName::LastFile, REG_SZ, std::wstring(L"C:\\a.pdf\0junk", 13));
  EXPECT_EQ(ReadLastFile(), L"C:\\a.pdf");
  // An odd byte count: the half character at the end is dropped.
  Put(SettingName::LastFile, REG_SZ, L"ab", 3);
  EXPECT_EQ(ReadLastFile(), L"a");
  Put(SettingName::LastFile, REG_SZ, L"", 0);
  EXPECT_EQ(ReadSettingText(SettingName::LastFile, L"d"), L"");

  // 4094 bytes is the most that is read...
  const std::wstring fits(2046, L'x');
  PutText(SettingName::LastFile, REG_SZ, fits);  // 2047 characters with the NUL
  EXPECT_EQ(ReadLastFile(), fits);
  // (A 4094-byte text without its NUL is not checked here: Wine counts a
  // terminator it adds itself and reports 4096 bytes, where Windows reads it.)
  // ...and anything longer leaves the default.
  PutText(SettingName::LastFile, REG_SZ, std::wstring(2047, L'z'));  // 4096 bytes
  EXPECT_EQ(ReadSettingText(SettingName::LastFile, L"d"), L"d");
  PutText(SettingName::LastFile, REG_SZ, std::wstring(20000, L'z'));
  EXPECT_EQ(ReadSettingText(SettingName::LastFile, L"d"), L"d");
}

TEST_F(SettingsRegistry, WindowPlacementNeedsExactly44BinaryBytes) {
  WINDOWPLACEMENT wp{};
  wp.length = sizeof wp;
  wp.flags = 0;
  wp.showCmd = SW_SHOWMAXIMIZED;
  wp.ptMinPosition = {-1, -1};
  wp.ptMaxPosition = {-8, -8};
  wp.rcNormalPosition = {100, 120, 1100, 900};
  WriteWindowPlacement(wp);
  DWORD type = 0;
  std::vector<BYTE> data;
  ASSERT_TRUE(Get(SettingName::WindowPlacement, type, data));
  EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
  EXPECT_EQ(data.size(), 44u);

  WINDOWPLACEMENT back{};
  ASSERT_TRUE(ReadWindowPlacement(back));
  EXPECT_EQ(std::memcmp(&back, &wp, sizeof wp), 0);

  WINDOWPLACEMENT untouched{};
  untouched.showCmd = 77;
  Put(SettingName::WindowPlacement, REG_BINARY, &wp, 40);
  EXPECT_FALSE(ReadWindowPlacement(untouched));
  EXPECT_EQ(untouched.showCmd, 77u);  // not filled from the short record
  BYTE longer[48] = {};
  std::memcpy(longer, &wp, sizeof wp);
  Put(SettingName::WindowPlacement, REG_BINARY, longer, sizeof longer);
  EXPECT_FALSE(ReadWindowPlacement(untouched));
  Put(SettingName::WindowPlacement, REG_SZ, &wp, sizeof wp);
  EXPECT_FALSE(ReadWindowPlacement(untouched));
  EXPECT_EQ(untouched.showCmd, 77u);
}

TEST_F(SettingsRegistry, BinaryValuesOfAnySizeAndDeleting) {
  std::vector<uint8_t> big(10000);
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>(i * 7);
  WriteSettingBinary(SettingName::MailPassword, big.data(), static_cast<uint32_t>(big.size()));
  std::vector<uint8_t> back;
  ASSERT_TRUE(ReadSettingBinary(SettingName::MailPassword, back));
  EXPECT_EQ(back, big);

  WriteSettingBinary(SettingName::MailPassword, nullptr, 0);
  back = {9};
  EXPECT_TRUE(ReadSettingBinary(SettingName::MailPassword, back));
  EXPECT_TRUE(back.empty());

  PutText(SettingName::MailPassword, REG_SZ, L"plain");
  back = {9};
  EXPECT_FALSE(ReadSettingBinary(SettingName::MailPassword, back));
  EXPECT_TRUE(back.empty());

  DeleteSettingValue(SettingName::MailPassword);
  DWORD type = 0;
  std::vector<BYTE> data;
  EXPECT_FALSE(Get(SettingName::MailPassword, type, data));
  EXPECT_TRUE(KeyExists());  // only the value goes
}

// Without the redirection: the values really land in
// HKEY_CURRENT_USER\Software\Corvane\Folivex. Uses a value name of its own
// and removes it (and the key, if the test made it) afterwards.
TEST(SettingsRegistryPath, WritesUnderTheProgramKey) {
  const wchar_t* probe = L"FolivexTestProbe";
  const bool keyExisted = bool(OpenKey(HKEY_CURRENT_USER, L"Software\\Corvane\\Folivex", KEY_READ));

  WriteSettingNumber(probe, 0x1234);
  DWORD value = 0;
  DWORD size = sizeof value;
  EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, L"Software\\Corvane\\Folivex", probe, RRF_RT_REG_DWORD,
                         nullptr, &value, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(value, 0x1234u);
  EXPECT_EQ(ReadSettingNumber(probe, 0), 0x1234u);

  DeleteSettingValue(probe);
  EXPECT_EQ(ReadSettingNumber(probe, 5), 5u);
  if (!keyExisted) {
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Corvane\\Folivex");
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Corvane");
  }
}
