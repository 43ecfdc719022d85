// The saved people in the real registry. HKEY_CURRENT_USER is redirected to
// a scratch key (RegOverridePredefKey) so the code opens its usual path
// while the user's own settings stay untouched.
#include "share/share_settings.h"

#include <gtest/gtest.h>

#include <string>

#include "doc/settings.h"

namespace {

class SavedPeople : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = L"Software\\FolivexTests\\Share-" + std::to_wstring(GetCurrentProcessId());
    RegDeleteTreeW(HKEY_CURRENT_USER, root_.c_str());
    HKEY root = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, root_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &root,
                              nullptr),
              ERROR_SUCCESS);
    rootKey_ = root;
    ASSERT_EQ(RegOverridePredefKey(HKEY_CURRENT_USER, rootKey_), ERROR_SUCCESS);
    g_contacts.clear();
  }
  void TearDown() override {
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegCloseKey(rootKey_);
    RegDeleteTreeW(HKEY_CURRENT_USER, root_.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\FolivexTests");
    g_contacts.clear();
  }
  std::wstring root_;
  HKEY rootKey_ = nullptr;
};

// Two windows each add a person: the second window's list in memory predates
// the first one's addition, which must survive all the same.
TEST_F(SavedPeople, AChangeKeepsWhatAnotherWindowStoredMeanwhile) {
  LoadContacts();  // this window starts with nobody
  EXPECT_TRUE(g_contacts.empty());
  // Meanwhile another window stores Bob.
  WriteSettingText(SettingName::Contacts, L"Bob\x1f" L"bob@x\x1f\x1f");
  RememberPerson({L"Ann", L"ann@x", L"", L""});
  EXPECT_EQ(ReadSettingText(SettingName::Contacts, L"?"),
            L"Ann\x1f" L"ann@x\x1f\x1f\x1e" L"Bob\x1f" L"bob@x\x1f\x1f");
  ASSERT_EQ(g_contacts.size(), 2u);
  // Forgetting works on the stored list too: Carl arrived from elsewhere.
  WriteSettingText(SettingName::Contacts, L"Ann\x1f\x1f\x1f\x1e" L"Carl\x1f\x1f\x1f");
  EXPECT_TRUE(ForgetPerson(L"ANN"));
  EXPECT_EQ(ReadSettingText(SettingName::Contacts, L"?"), L"Carl\x1f\x1f\x1f");
  EXPECT_FALSE(ForgetPerson(L"Ann"));
  EXPECT_TRUE(ForgetPerson(L"carl"));
  EXPECT_EQ(ReadSettingText(SettingName::Contacts, L"?"), L"");
  LoadContacts();
  EXPECT_TRUE(g_contacts.empty());
}

// The list has no length limit, unlike the other text settings.
TEST_F(SavedPeople, ALongListLoadsWhole) {
  std::wstring stored;
  for (int i = 0; i < 400; ++i) {
    if (i) stored += L'\x1e';
    stored += L"Person " + std::to_wstring(1000 + i) + L"\x1fperson@example.com\x1f+44 7700 900123\x1f";
  }
  ASSERT_GT(stored.size() * 2, 4096u);
  WriteSettingText(SettingName::Contacts, stored);
  LoadContacts();
  ASSERT_EQ(g_contacts.size(), 400u);
  EXPECT_EQ(g_contacts.back().name, L"Person 1399");
  // A value of another type reads as nobody.
  WriteSettingNumber(SettingName::Contacts, 7);
  LoadContacts();
  EXPECT_TRUE(g_contacts.empty());
}

}  // namespace
