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
  return OpenRegistryKey(root, path, KEY_READ | KEY_WOW64_64KEY);
}

// InstallLocation without trailing backslashes; empty when missing.
std::wstring InstallLocation(HKEY root) {
  UniqueRegKey key = OpenForReading(root, kUninstallKey);
  std::wstring location;
  if (!key || !ReadRegistryText(key.Get(), L"InstallLocation", 2046, location)) return std::wstring();
  while (!location.empty() && location.back() == L'\\') location.pop_back();
  return location;
}

bool UpdatesDisabled(HKEY root) {
  UniqueRegKey key = OpenForReading(root, kPolicyKey);
  DWORD value = 0;
  return key && ReadRegistryNumber(key.Get(), L"DisableUpdates", value) && value != 0;
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
