#include "doc/settings.h"

#include "base/handles.h"
#include "base/win_util.h"

Settings g_settings;

namespace {

static_assert(sizeof(WINDOWPLACEMENT) == 44, "the stored placement record is 44 bytes");

// The program key opened for reading, or empty when it can't be opened.
UniqueRegKey OpenForReading() { return OpenRegistryKey(HKEY_CURRENT_USER, kSettingsKeyPath, KEY_READ); }

void StoreValue(const wchar_t* name, DWORD type, const void* data, DWORD size) {
  HKEY raw = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKeyPath, 0, nullptr, 0, KEY_WRITE, nullptr, &raw, nullptr) !=
      ERROR_SUCCESS)
    return;
  UniqueRegKey key(raw);
  RegSetValueExW(key.Get(), name, 0, type, static_cast<const BYTE*>(data), size);
}

}  // namespace

uint32_t ReadSettingNumber(const wchar_t* name, uint32_t defaultValue) {
  UniqueRegKey key = OpenForReading();
  DWORD value = 0;
  return key && ReadRegistryNumber(key.Get(), name, value) ? value : defaultValue;
}

void WriteSettingNumber(const wchar_t* name, uint32_t value) {
  DWORD v = value;
  StoreValue(name, REG_DWORD, &v, sizeof v);
}

std::wstring ReadSettingText(const wchar_t* name, const std::wstring& defaultValue) {
  UniqueRegKey key = OpenForReading();
  std::wstring text;
  return key && ReadRegistryText(key.Get(), name, kMaxSettingTextBytes, text) ? text : defaultValue;
}

void WriteSettingText(const wchar_t* name, const std::wstring& text) {
  size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  if (bytes > MAXDWORD) return;
  StoreValue(name, REG_SZ, text.c_str(), static_cast<DWORD>(bytes));
}

int LoadNumberSetting(const wchar_t* name) {
  const NumberSetting* rule = FindNumberSetting(name);
  if (!rule) return 0;  // not a number value of the key: a programming error
  return SettingValue(*rule, ReadSettingNumber(name, rule->defaultValue));
}

void LoadStartupSettings() {
  Settings& s = g_settings;
  s.DefaultZoom = LoadNumberSetting(SettingName::DefaultZoom);
  s.ReopenLast = LoadNumberSetting(SettingName::ReopenLast);
  s.Background = LoadNumberSetting(SettingName::Background);
  s.PageShadow = LoadNumberSetting(SettingName::PageShadow);
  s.PrintScale = LoadNumberSetting(SettingName::PrintScale);
  s.PrintQuality = LoadNumberSetting(SettingName::PrintQuality);
  s.PrintAutoRotate = LoadNumberSetting(SettingName::PrintAutoRotate);
  s.AutoUpdate = LoadNumberSetting(SettingName::AutoUpdate);
  s.PagePanel = LoadNumberSetting(SettingName::PagePanel);
}

std::wstring ReadLastFile() { return ReadSettingText(SettingName::LastFile, std::wstring()); }

void WriteLastFile(const std::wstring& path) { WriteSettingText(SettingName::LastFile, path); }

int ReadLastPage() { return LoadNumberSetting(SettingName::LastPage); }

void WriteLastPage(int position) {
  WriteSettingNumber(SettingName::LastPage, static_cast<uint32_t>(position));
}

std::wstring ReadSeenVersion() { return ReadSettingText(SettingName::SeenVersion, std::wstring()); }

void WriteSeenVersion(const std::wstring& version) {
  WriteSettingText(SettingName::SeenVersion, version);
}

bool ReadWindowPlacement(WINDOWPLACEMENT& placement) {
  UniqueRegKey key = OpenForReading();
  if (!key) return false;
  WINDOWPLACEMENT read{};
  DWORD type = 0;
  DWORD size = sizeof read;
  LSTATUS rc = RegQueryValueExW(key.Get(), SettingName::WindowPlacement, nullptr, &type,
                                reinterpret_cast<BYTE*>(&read), &size);
  if (rc != ERROR_SUCCESS || type != REG_BINARY || size != sizeof read) return false;
  placement = read;
  return true;
}

void WriteWindowPlacement(const WINDOWPLACEMENT& placement) {
  StoreValue(SettingName::WindowPlacement, REG_BINARY, &placement, sizeof placement);
}

bool ReadSettingBinary(const wchar_t* name, std::vector<uint8_t>& data) {
  data.clear();
  UniqueRegKey key = OpenForReading();
  if (!key) return false;
  bool ok = false;
  // The value may change between asking its size and reading it; try again
  // with the new size a few times.
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key.Get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_BINARY)
      break;
    data.resize(size);
    LSTATUS rc = RegQueryValueExW(key.Get(), name, nullptr, &type, data.data(), &size);
    if (rc == ERROR_MORE_DATA) continue;
    if (rc == ERROR_SUCCESS && type == REG_BINARY && size <= data.size()) {
      data.resize(size);
      ok = true;
    }
    break;
  }
  if (!ok) data.clear();
  return ok;
}

void WriteSettingBinary(const wchar_t* name, const void* data, uint32_t size) {
  StoreValue(name, REG_BINARY, data, size);
}

void DeleteSettingValue(const wchar_t* name) {
  UniqueRegKey key = OpenRegistryKey(HKEY_CURRENT_USER, kSettingsKeyPath, KEY_SET_VALUE);
  if (!key) return;
  RegDeleteValueW(key.Get(), name);
}
