// Stands in for the browser and the chat apps in the GUI tests: the test
// registers it as the handler of the web and chat schemes, and it appends
// the command line the shell started it with, as one UTF-16 line, to the
// file named by FV_URL_LOG.
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  wchar_t path[1024] = {};
  if (!GetEnvironmentVariableW(L"FV_URL_LOG", path, 1024)) return 2;
  HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 3;
  const std::wstring line = std::wstring(GetCommandLineW()) + L"\n";
  DWORD written = 0;
  WriteFile(file, line.data(), DWORD(line.size() * sizeof(wchar_t)), &written, nullptr);
  CloseHandle(file);
  return 0;
}
