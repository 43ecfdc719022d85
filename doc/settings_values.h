// Names, defaults and ranges of the values kept under the program's registry
// key. Platform-neutral: the registry access itself is in settings.cpp.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

// Registry value names. Every reader and writer uses these constants so a
// name is spelled in one place only.
namespace SettingName {
// Numbers (REG_DWORD).
inline constexpr wchar_t DefaultZoom[] = L"DefaultZoom";
inline constexpr wchar_t ReopenLast[] = L"ReopenLast";
inline constexpr wchar_t Background[] = L"Background";
inline constexpr wchar_t PageShadow[] = L"PageShadow";
inline constexpr wchar_t PrintScale[] = L"PrintScale";
inline constexpr wchar_t PrintQuality[] = L"PrintQuality";
inline constexpr wchar_t PrintAutoRotate[] = L"PrintAutoRotate";
inline constexpr wchar_t AutoUpdate[] = L"AutoUpdate";
inline constexpr wchar_t PagePanel[] = L"PagePanel";
inline constexpr wchar_t LastPage[] = L"LastPage";
inline constexpr wchar_t MailPort[] = L"MailPort";
inline constexpr wchar_t MailSSL[] = L"MailSSL";
inline constexpr wchar_t ShareVia[] = L"ShareVia";
inline constexpr wchar_t ShareWhat[] = L"ShareWhat";
inline constexpr wchar_t PhoneLinkAutoSend[] = L"PhoneLinkAutoSend";
// Texts (REG_SZ).
inline constexpr wchar_t LastFile[] = L"LastFile";
inline constexpr wchar_t SeenVersion[] = L"SeenVersion";
inline constexpr wchar_t ShareLink[] = L"ShareLink";
inline constexpr wchar_t MailServer[] = L"MailServer";
inline constexpr wchar_t MailUser[] = L"MailUser";
inline constexpr wchar_t MailFromName[] = L"MailFromName";
inline constexpr wchar_t MailFromAddress[] = L"MailFromAddress";
inline constexpr wchar_t ShareYourName[] = L"ShareYourName";
inline constexpr wchar_t Contacts[] = L"Contacts";
// Binary (REG_BINARY).
inline constexpr wchar_t WindowPlacement[] = L"WindowPlacement";
inline constexpr wchar_t MailPassword[] = L"MailPassword";
}  // namespace SettingName

// How a stored number is turned into the value the program works with.
enum class SettingRange : uint8_t {
  Boolean,  // any value other than 0 is on (1)
  AtMost,   // compared as unsigned; above `max` becomes `max`
  Any,      // taken as it is (as a signed 32-bit int)
};

struct NumberSetting {
  std::wstring_view name;
  uint32_t defaultValue;
  SettingRange range;
  uint32_t max;  // only for SettingRange::AtMost
};

// Every number value of the key, in table order.
std::span<const NumberSetting> NumberSettings();

// The rule for a value name (exact spelling), or nullptr for an unknown name.
const NumberSetting* FindNumberSetting(std::wstring_view name);

// The in-memory value for a stored 32-bit number under the rule.
int SettingValue(const NumberSetting& rule, uint32_t stored);

// Colour of the `Background` choice (0 dark gray, 1 light gray, 2 black,
// 3 white); indexes outside 0..3 are clamped like the stored value.
struct BackgroundRgb {
  uint8_t r, g, b;
};
BackgroundRgb BackgroundColour(int background);

// Length limit of a text value: a stored REG_SZ of more bytes than this is
// not used.
inline constexpr uint32_t kMaxSettingTextBytes = 4094;
