#include "doc/settings_values.h"

#include <array>

namespace {

constexpr std::array<NumberSetting, 15> kNumberSettings{{
    {SettingName::DefaultZoom, 0, SettingRange::AtMost, 2},
    {SettingName::ReopenLast, 1, SettingRange::Boolean, 0},
    {SettingName::Background, 0, SettingRange::AtMost, 3},
    {SettingName::PageShadow, 1, SettingRange::Boolean, 0},
    // 0 fit to paper; anything else is actual size.
    {SettingName::PrintScale, 0, SettingRange::Boolean, 0},
    {SettingName::PrintQuality, 1, SettingRange::AtMost, 2},
    {SettingName::PrintAutoRotate, 1, SettingRange::Boolean, 0},
    {SettingName::AutoUpdate, 1, SettingRange::Boolean, 0},
    {SettingName::PagePanel, 1, SettingRange::Boolean, 0},
    {SettingName::LastPage, 0, SettingRange::Any, 0},
    {SettingName::MailPort, 465, SettingRange::Any, 0},
    {SettingName::MailSSL, 1, SettingRange::Boolean, 0},
    {SettingName::ShareVia, 0, SettingRange::AtMost, 7},
    {SettingName::ShareWhat, 0, SettingRange::Any, 0},
    {SettingName::PhoneLinkAutoSend, 1, SettingRange::Boolean, 0},
}};

constexpr BackgroundRgb kBackgrounds[4] = {
    {82, 86, 89},     // dark gray
    {206, 210, 214},  // light gray
    {20, 20, 20},     // black
    {255, 255, 255},  // white
};

}  // namespace

std::span<const NumberSetting> NumberSettings() { return kNumberSettings; }

const NumberSetting* FindNumberSetting(std::wstring_view name) {
  for (const NumberSetting& rule : kNumberSettings)
    if (rule.name == name) return &rule;
  return nullptr;
}

int SettingValue(const NumberSetting& rule, uint32_t stored) {
  switch (rule.range) {
    case SettingRange::Boolean:
      return stored != 0 ? 1 : 0;
    case SettingRange::AtMost:
      return static_cast<int>(stored > rule.max ? rule.max : stored);
    case SettingRange::Any:
      break;
  }
  return static_cast<int>(stored);
}

BackgroundRgb BackgroundColour(int background) {
  uint32_t index = static_cast<uint32_t>(background);
  if (index > 3) index = 3;
  return kBackgrounds[index];
}
