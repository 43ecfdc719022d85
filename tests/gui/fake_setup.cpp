// Stands in for Folivex-Setup.exe in the update tests: notes its command
// line and ends with the exit code the test asked for (both under
// HKEY_CURRENT_USER\Software\Corvane\FolivexTests).
#include <windows.h>

#include <cwchar>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Corvane\\FolivexTests", 0, nullptr, 0,
                      KEY_SET_VALUE | KEY_QUERY_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return 2;
  RegSetValueExW(key, L"SetupArguments", 0, REG_SZ, reinterpret_cast<const BYTE*>(commandLine),
                 DWORD((wcslen(commandLine) + 1) * sizeof(wchar_t)));
  DWORD code = 0, bytes = sizeof(code), type = 0;
  if (RegQueryValueExW(key, L"SetupExitCode", nullptr, &type, reinterpret_cast<BYTE*>(&code), &bytes) !=
          ERROR_SUCCESS ||
      type != REG_DWORD)
    code = 0;
  RegCloseKey(key);
  return int(code);
}
