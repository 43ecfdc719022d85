// Drives the real Folivex.exe from outside: starts it, finds its windows,
// reads what they show, sends commands and keys, takes screenshots, and
// always ends the process it started.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/handles.h"

class FolivexApp {
 public:
  // Starts Folivex.exe (from the build folder FV_BUILD_DIR) with the
  // given arguments.
  explicit FolivexApp(const std::wstring& arguments);
  // Starts another copy of the program file (Windows path).
  FolivexApp(const std::wstring& exePath, const std::wstring& arguments);
  // Takes charge of a copy that is already running (started by another
  // copy, as an update restarts the program); ends it like the others.
  explicit FolivexApp(DWORD processId);
  ~FolivexApp();
  FolivexApp(const FolivexApp&) = delete;
  FolivexApp& operator=(const FolivexApp&) = delete;

  bool Started() const { return bool(process_); }
  DWORD ProcessId() const { return pid_; }

  // The process's top-level window of the given class, waiting for it.
  HWND WaitForWindow(const wchar_t* className, DWORD timeoutMs = 20000);
  HWND MainWindow(DWORD timeoutMs = 20000) { return WaitForWindow(L"FolivexMain", timeoutMs); }

  std::wstring Title();
  // The texts of the status bar's parts (read across the process boundary).
  std::vector<std::wstring> StatusParts();
  // Where the status bar's fields are on the screen, as the control itself
  // places them.
  std::vector<RECT> StatusFieldRects();

  void Command(int id);
  // Posts a key press and release to the window that has the keyboard focus.
  void Key(UINT vk, bool ctrl = false, bool shift = false, bool alt = false);
  // Drops files on the main window as the shell does: the DROPFILES block
  // is written into the program's own memory (a window message can't carry
  // it across processes), then WM_DROPFILES is posted.
  bool DropFiles(const std::vector<std::wstring>& files);
  // Lets the program handle everything that was posted to it.
  void Settle(DWORD ms = 300);

  // Saves the screen as <FV_BUILD_DIR>/screenshots/<name>.png.
  std::wstring Screenshot(const std::wstring& name);

  // Waits for the process to end by itself; true when it did.
  bool WaitForExit(DWORD timeoutMs, DWORD* exitCode = nullptr);

 private:
  UniqueHandle process_;
  DWORD pid_ = 0;
  HWND main_ = nullptr;
};

// The screen's pixels in a rectangle, 0x00RRGGBB, row by row.
std::vector<uint32_t> ScreenPixels(int x, int y, int width, int height);
// The pixels inside a rectangle of the screen dark enough to be text.
int DarkPixels(const RECT& r);

// Converts a Unix path (as the test environment gives it) to a Windows path.
std::wstring WindowsPath(const std::string& unixPath);
// The Unix path of a path on drive Z: (the root of the Linux side).
std::string UnixPath(const std::wstring& windowsPath);
// Runs a shell command on the Linux side and waits for it (at most
// `timeoutMs`). Wine does not pass a Unix program's exit code on, so callers
// look at the files it writes; false when it could not be started.
bool RunOnLinux(const std::string& command, DWORD timeoutMs = 120000);
// Waits for a file the Linux side writes (it may still be at work when its
// process has ended for Wine).
bool WaitForFile(const std::wstring& path, DWORD timeoutMs = 10000);
// The build folder (FV_BUILD_DIR) as a Windows path.
std::wstring BuildDir();
// A test document that the build made in <build>/testdata (Windows path).
std::wstring TestPdf(const std::wstring& name);
std::wstring Quoted(const std::wstring& path);

// The program's settings in the registry (the tests share the prefix with it).
extern const wchar_t kSettingsKey[];
void SetNumber(const wchar_t* name, DWORD value);
void SetText(const wchar_t* name, const std::wstring& value);
void Forget(const wchar_t* name);
bool ReadNumber(const wchar_t* name, DWORD& value);
std::wstring ReadText(const wchar_t* name);

// Dialog boxes of the program.
std::wstring TextOf(HWND window);
// The whole text of a window of the program, however long.
std::wstring LongTextOf(HWND window);
// The text of the child control `id` of a window, and a wait for it to read
// `text`.
std::wstring ItemText(HWND window, int id);
bool WaitForItemText(HWND window, int id, const std::wstring& text, DWORD timeoutMs = 15000);
// The clipboard's text (empty when it holds none).
std::wstring ClipboardText();
// The visible main window of a running copy of the program other than the
// process `exceptPid` (null when there is none).
HWND OtherMainWindow(DWORD exceptPid);
// Waits for a visible dialog box ("#32770") of the app's process with the
// given caption (null: any), other than `except`.
HWND WaitForDialog(FolivexApp& app, const wchar_t* caption, DWORD timeoutMs = 15000, HWND except = nullptr);
// The message of a dialog: its longest static text.
std::wstring DialogMessage(HWND dialog);
void Press(HWND dialog, int id);
void Type(HWND edit, const std::wstring& text);
bool WaitForTitle(FolivexApp& app, const std::wstring& title, DWORD timeoutMs = 20000);
// Waits until status bar part `part` holds `text`.
bool WaitForStatus(FolivexApp& app, int part, const std::wstring& text, DWORD timeoutMs = 15000);
// 8-bit text for a failure message ('?' for what isn't ASCII).
std::string Narrow(const std::wstring& text);
