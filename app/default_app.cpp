#include "app/default_app.h"

#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "app/settings_tab.h"
#include "base/event_log.h"
#include "base/handles.h"
#include "base/win_util.h"

namespace {

constexpr wchar_t kProgId[] = L"Corvane.Folivex.pdf";
constexpr wchar_t kCommandKey[] = L"Software\\Classes\\Corvane.Folivex.pdf\\shell\\open\\command";
constexpr wchar_t kTitle[] = L"Make Folivex your default PDF app";
constexpr wchar_t kShortTitle[] = L"Default PDF app";

constexpr wchar_t kAlreadyDefault[] =
    L"Folivex is already your default PDF app: double-clicking a PDF opens it in Folivex.\n\nTo go back to another "
    L"program later, open Windows Settings \u2192 Apps \u2192 Default apps, type .pdf in the file-type box and pick "
    L"the program you want.";
constexpr wchar_t kSettingsWay[] =
    L"Windows only lets YOU choose the default app, so Folivex will open the right Windows Settings page for "
    L"you.\n\nOn that page:\n   1.  Click the  .pdf  line.\n   2.  Pick Folivex in the list.\n   3.  Click \"Set "
    L"default\".\n\n(If Settings shows the general Default apps page instead, type  .pdf  in the box at the top and "
    L"pick Folivex.)\n\nThen come back here \u2014 the Settings tab will show \"Default: yes\".\n\nKeep Folivex.exe "
    L"somewhere permanent (such as C:\\Tools). If you move it later, just start it once from the new place and it "
    L"repairs the link by itself.\n\nOpen Windows Settings now?";
constexpr wchar_t kOpenWithWay[] =
    L"Windows only lets YOU choose the default app, so Folivex will open Windows' \"How do you want to open .pdf "
    L"files?\" box for you.\n\nIn that box:\n   1.  Pick Folivex in the list.\n   2.  Make sure \"Always use this "
    L"app\" is checked.\n   3.  Click OK.\n\nThen come back here \u2014 the Settings tab will show \"Default: "
    L"yes\".\n\nKeep Folivex.exe somewhere permanent (such as C:\\Tools). If you move it later, just start it once "
    L"from the new place and it repairs the link by itself.\n\nOpen that box now?";
constexpr wchar_t kManualWay[] =
    L"Folivex couldn't open the Windows screen by itself.\n\nRight-click any PDF file \u2192 Open with \u2192 Choose "
    L"another app, pick Folivex and choose Always.";

int g_labelState = -1;  // -1 not shown yet, 0 "Default: no", 1 "Default: yes"

void SetText(const wchar_t* key, const wchar_t* name, const std::wstring& value) {
  HKEY handle = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle, nullptr) != ERROR_SUCCESS)
    return;
  UniqueRegKey owned(handle);
  RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 DWORD((value.size() + 1) * sizeof(wchar_t)));
}

bool SameNoCase(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), int(a.size()), b.c_str(), int(b.size()), TRUE) == CSTR_EQUAL;
}

bool OpenShell(HWND owner, const wchar_t* target) {
  return reinterpret_cast<INT_PTR>(ShellExecuteW(owner, L"open", target, nullptr, nullptr, SW_SHOWNORMAL)) > 32;
}

// The Windows build number, from ntdll's RtlGetVersion; 0 when unknown.
DWORD WindowsBuild() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  if (!ntdll) return 0;
  using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
  auto get = reinterpret_cast<RtlGetVersionFn>(GetProcAddress(ntdll, "RtlGetVersion"));
  OSVERSIONINFOW info = {};
  info.dwOSVersionInfoSize = sizeof(info);
  if (!get || get(&info) != 0) return 0;
  return info.dwBuildNumber;
}

}  // namespace

std::wstring OpenCommandFor(const std::wstring& program) { return L"\"" + program + L"\" \"%1\""; }

void RegisterFileType() {
  const std::wstring program = ProgramPath();
  const std::wstring command = OpenCommandFor(program);
  SetText(L"Software\\Classes\\Corvane.Folivex.pdf", nullptr, L"PDF Document");
  SetText(L"Software\\Classes\\Corvane.Folivex.pdf", L"FriendlyTypeName", L"PDF Document");
  SetText(L"Software\\Classes\\Corvane.Folivex.pdf\\DefaultIcon", nullptr, L"\"" + program + L"\",0");
  SetText(kCommandKey, nullptr, command);
  SetText(L"Software\\Classes\\.pdf\\OpenWithProgids", kProgId, L"");
  SetText(L"Software\\Classes\\Applications\\Folivex.exe", L"FriendlyAppName", L"Folivex");
  SetText(L"Software\\Classes\\Applications\\Folivex.exe\\shell\\open\\command", nullptr, command);
  SetText(L"Software\\Classes\\Applications\\Folivex.exe\\SupportedTypes", L".pdf", L"");
  SetText(L"Software\\Corvane\\Folivex\\Capabilities", L"ApplicationName", L"Folivex");
  SetText(L"Software\\Corvane\\Folivex\\Capabilities", L"ApplicationDescription",
          L"Tiny portable PDF viewer by Corvane LLC");
  SetText(L"Software\\Corvane\\Folivex\\Capabilities\\FileAssociations", L".pdf", kProgId);
  SetText(L"Software\\RegisteredApplications", L"Folivex", L"Software\\Corvane\\Folivex\\Capabilities");
  SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
  LogEvent(L"default app: registered %ls", program.c_str());
}

void RepairFileType() {
  UniqueRegKey key = OpenRegistryKey(HKEY_CURRENT_USER, kCommandKey, KEY_READ);
  std::wstring registered;
  if (!key || !ReadRegistryText(key.Get(), nullptr, 2046, registered) || registered.empty()) return;
  if (SameNoCase(registered, OpenCommandFor(ProgramPath()))) return;
  LogEvent(L"default app: the registration named %ls; repairing", registered.c_str());
  RegisterFileType();
}

bool IsDefaultPdfApp() {
  wchar_t found[520] = {};
  DWORD chars = 520;
  if (FAILED(AssocQueryStringW(0, ASSOCSTR_EXECUTABLE, L".pdf", L"open", found, &chars))) return false;
  const std::wstring program = ProgramPath();
  return SameNoCase(found, program);
}

void RefreshDefaultLabel() {
  HWND label = SettingsDefaultAppLabel();
  if (!label) return;
  const int state = IsDefaultPdfApp() ? 1 : 0;
  if (state == g_labelState) return;
  g_labelState = state;
  SetWindowTextW(label, state ? L"Default: yes" : L"Default: no");
}

void SetAsDefaultApp(HWND main) {
  if (IsDefaultPdfApp()) {
    RepairFileType();
    MessageBoxW(main, kAlreadyDefault, kShortTitle, MB_OK | MB_ICONINFORMATION);
    return;
  }
  bool opened = false;
  if (WindowsBuild() > 21999) {
    if (MessageBoxW(main, kSettingsWay, kTitle, MB_OKCANCEL | MB_ICONINFORMATION) != IDOK) return;
    RegisterFileType();
    opened = OpenShell(main, L"ms-settings:defaultapps?registeredAppUser=Folivex");
  } else {
    if (MessageBoxW(main, kOpenWithWay, kTitle, MB_OKCANCEL | MB_ICONINFORMATION) != IDOK) return;
    RegisterFileType();
    OPENASINFO info = {};
    info.pcszFile = L".pdf";
    info.oaifInFlags = OAIF_ALLOW_REGISTRATION | OAIF_REGISTER_EXT | OAIF_FORCE_REGISTRATION;
    const HRESULT hr = SHOpenWithDialog(main, &info);
    LogEvent(L"default app: the Open-with box gave 0x%08lX", static_cast<unsigned long>(hr));
    opened = SUCCEEDED(hr) || hr == HRESULT_FROM_WIN32(ERROR_CANCELLED);
  }
  if (!opened && !OpenShell(main, L"ms-settings:defaultapps"))
    MessageBoxW(main, kManualWay, kShortTitle, MB_OK | MB_ICONINFORMATION);
  RefreshDefaultLabel();
}
