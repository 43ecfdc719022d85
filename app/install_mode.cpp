#include "app/install_mode.h"

#include <windows.h>

#include <string>

#include "base/event_log.h"
#include "base/handles.h"
#include "base/win_util.h"

namespace {

constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Folivex";
constexpr wchar_t kPolicyKey[] = L"Software\\Corvane\\Folivex\\Policy";

UniqueRegKey OpenForReading(HKEY root, const wchar_t* path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path, 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS) return UniqueRegKey();
  return UniqueRegKey(key);
}

// InstallLocation without trailing backslashes; empty when missing.
std::wstring InstallLocation(HKEY root) {
  UniqueRegKey key = OpenForReading(root, kUninstallKey);
  if (!key) return std::wstring();
  wchar_t buffer[1024] = {};  // 2046 bytes of text and the terminator
  DWORD type = 0, size = 2046;
  if (RegQueryValueExW(key.Get(), L"InstallLocation", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
          ERROR_SUCCESS ||
      type != REG_SZ)
    return std::wstring();
  std::wstring location(buffer, wcsnlen(buffer, size / sizeof(wchar_t)));
  while (!location.empty() && location.back() == L'\\') location.pop_back();
  return location;
}

bool UpdatesDisabled(HKEY root) {
  UniqueRegKey key = OpenForReading(root, kPolicyKey);
  if (!key) return false;
  DWORD value = 0, type = 0, size = sizeof(value);
  if (RegQueryValueExW(key.Get(), L"DisableUpdates", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
          ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof(value))
    return false;
  return value != 0;
}

bool SameFolder(const std::wstring& a, const std::wstring& b) {
  return !a.empty() && CompareStringOrdinal(a.c_str(), int(a.size()), b.c_str(), int(b.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace

InstallFacts DetectInstallMode() {
  std::wstring folder = ProgramPath();
  size_t slash = folder.find_last_of(L'\\');
  folder.resize(slash == std::wstring::npos ? 0 : slash);
  InstallFacts facts;
  if (SameFolder(InstallLocation(HKEY_LOCAL_MACHINE), folder)) {
    facts.mode = kInstalledForEveryone;
    facts.updatesOffByInstaller = UpdatesDisabled(HKEY_LOCAL_MACHINE);
  } else if (SameFolder(InstallLocation(HKEY_CURRENT_USER), folder)) {
    facts.mode = kInstalledForUser;
    facts.updatesOffByInstaller = UpdatesDisabled(HKEY_CURRENT_USER);
  }
  LogEvent(L"install mode %d (0 portable, 1 just me, 2 everyone), updates switched off by installer: %d", facts.mode,
           facts.updatesOffByInstaller ? 1 : 0);
  return facts;
}
