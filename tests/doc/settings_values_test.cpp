#include "doc/settings_values.h"

#include <gtest/gtest.h>

namespace {
int Value(const wchar_t* name, uint32_t stored) {
  const NumberSetting* rule = FindNumberSetting(name);
  EXPECT_NE(rule, nullptr) << "no rule";
  return rule ? SettingValue(*rule, stored) : -12345;
}
int Default(const wchar_t* name) {
  const NumberSetting* rule = FindNumberSetting(name);
  EXPECT_NE(rule, nullptr) << "no rule";
  return rule ? SettingValue(*rule, rule->defaultValue) : -12345;
}
}  // namespace

TEST(SettingValues, Defaults) {
  EXPECT_EQ(Default(SettingName::DefaultZoom), 0);
  EXPECT_EQ(Default(SettingName::ReopenLast), 1);
  EXPECT_EQ(Default(SettingName::Background), 0);
  EXPECT_EQ(Default(SettingName::PageShadow), 1);
  EXPECT_EQ(Default(SettingName::PrintScale), 0);
  EXPECT_EQ(Default(SettingName::PrintQuality), 1);
  EXPECT_EQ(Default(SettingName::PrintAutoRotate), 1);
  EXPECT_EQ(Default(SettingName::AutoUpdate), 1);
  EXPECT_EQ(Default(SettingName::PagePanel), 1);
  EXPECT_EQ(Default(SettingName::LastPage), 0);
  EXPECT_EQ(Default(SettingName::MailPort), 465);
  EXPECT_EQ(Default(SettingName::MailSSL), 1);
  EXPECT_EQ(Default(SettingName::ShareVia), 0);
  EXPECT_EQ(Default(SettingName::ShareWhat), 0);
  EXPECT_EQ(Default(SettingName::PhoneLinkAutoSend), 1);
}

TEST(SettingValues, RangesClampAsUnsigned) {
  EXPECT_EQ(Value(SettingName::DefaultZoom, 7), 2);
  EXPECT_EQ(Value(SettingName::DefaultZoom, 1), 1);
  EXPECT_EQ(Value(SettingName::Background, 0xFFFFFFFFu), 3);  // -1 stored
  EXPECT_EQ(Value(SettingName::Background, 2), 2);
  EXPECT_EQ(Value(SettingName::PrintQuality, 0x80000000u), 2);
  EXPECT_EQ(Value(SettingName::ShareVia, 9), 7);
  EXPECT_EQ(Value(SettingName::ShareVia, 7), 7);
  EXPECT_EQ(Value(SettingName::PrintScale, 5), 1);
  EXPECT_EQ(Value(SettingName::PrintScale, 0), 0);
  for (const wchar_t* name : {SettingName::ReopenLast, SettingName::PageShadow,
                              SettingName::PrintAutoRotate, SettingName::AutoUpdate,
                              SettingName::PagePanel, SettingName::MailSSL,
                              SettingName::PhoneLinkAutoSend}) {
    EXPECT_EQ(Value(name, 0), 0);
    EXPECT_EQ(Value(name, 2), 1);
    EXPECT_EQ(Value(name, 0xFFFFFFFFu), 1);
  }
  // Unranged values come back as signed 32-bit numbers.
  EXPECT_EQ(Value(SettingName::LastPage, 0xFFFFFFFFu), -1);
  EXPECT_EQ(Value(SettingName::LastPage, 41), 41);
  EXPECT_EQ(Value(SettingName::MailPort, 587), 587);
}

TEST(SettingValues, UnknownNamesHaveNoRule) {
  EXPECT_EQ(NumberSettings().size(), 15u);
  EXPECT_EQ(FindNumberSetting(L"LastFile"), nullptr);
  EXPECT_EQ(FindNumberSetting(L"DefaultZoo"), nullptr);
  EXPECT_EQ(FindNumberSetting(L""), nullptr);
}

TEST(SettingValues, BackgroundColours) {
  auto rgb = [](int i) {
    BackgroundRgb c = BackgroundColour(i);
    return c.r << 16 | c.g << 8 | c.b;
  };
  EXPECT_EQ(rgb(0), 82 << 16 | 86 << 8 | 89);
  EXPECT_EQ(rgb(1), 206 << 16 | 210 << 8 | 214);
  EXPECT_EQ(rgb(2), 20 << 16 | 20 << 8 | 20);
  EXPECT_EQ(rgb(3), 0xFFFFFF);
  EXPECT_EQ(rgb(-1), 0xFFFFFF);  // out of range reads as white, like the stored value
}
