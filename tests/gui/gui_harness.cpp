#include "tests/gui/gui_harness.h"

#include <commctrl.h>
#include <shlobj.h>
#include <wincodec.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

std::wstring Widen(const std::string& s) {
  if (s.empty()) return std::wstring();
  int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), nullptr, 0);
  std::wstring w(size_t(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), w.data(), n);
  return w;
}

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

struct FindData {
  DWORD pid;
  const wchar_t* className;
  HWND found;
};

BOOL CALLBACK FindTopLevel(HWND window, LPARAM param) {
  auto* d = reinterpret_cast<FindData*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  wchar_t cls[64] = {};
  GetClassNameW(window, cls, 64);
  if (pid == d->pid && wcscmp(cls, d->className) == 0) {
    d->found = window;
    return FALSE;
  }
  return TRUE;
}

bool SavePng(HBITMAP bitmap, int width, int height, const std::wstring& path) {
  IWICImagingFactory* factory = nullptr;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory))))
    return false;
  bool ok = false;
  IWICBitmap* source = nullptr;
  IWICStream* stream = nullptr;
  IWICBitmapEncoder* encoder = nullptr;
  IWICBitmapFrameEncode* frame = nullptr;
  if (SUCCEEDED(factory->CreateBitmapFromHBITMAP(bitmap, nullptr, WICBitmapIgnoreAlpha, &source)) &&
      SUCCEEDED(factory->CreateStream(&stream)) &&
      SUCCEEDED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) &&
      SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) &&
      SUCCEEDED(encoder->Initialize(stream, WICBitmapEncoderNoCache)) &&
      SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) && SUCCEEDED(frame->Initialize(nullptr)) &&
      SUCCEEDED(frame->SetSize(UINT(width), UINT(height)))) {
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    ok = SUCCEEDED(frame->SetPixelFormat(&format)) && SUCCEEDED(frame->WriteSource(source, nullptr)) &&
         SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
  }
  if (frame) frame->Release();
  if (encoder) encoder->Release();
  if (stream) stream->Release();
  if (source) source->Release();
  factory->Release();
  return ok;
}


struct DialogSearch {
  DWORD pid;
  const wchar_t* caption;  // null: any
  HWND except;
  HWND found;
};

std::wstring TextOfWindow(HWND window) {
  wchar_t text[2048] = {};
  SendMessageTimeoutW(window, WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, nullptr);
  return text;
}

BOOL CALLBACK FindDialogProc(HWND window, LPARAM param) {
  auto* s = reinterpret_cast<DialogSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  wchar_t cls[32] = {};
  GetClassNameW(window, cls, 32);
  if (pid != s->pid || wcscmp(cls, L"#32770") != 0 || !IsWindowVisible(window) || window == s->except) return TRUE;
  if (s->caption && TextOfWindow(window) != s->caption) return TRUE;
  s->found = window;
  return FALSE;
}

BOOL CALLBACK LongestStatic(HWND child, LPARAM param) {
  wchar_t cls[32] = {};
  GetClassNameW(child, cls, 32);
  if (_wcsicmp(cls, L"Static") == 0) {
    std::wstring text = TextOfWindow(child);
    auto* best = reinterpret_cast<std::wstring*>(param);
    if (text.size() > best->size()) *best = text;
  }
  return TRUE;
}

}  // namespace

std::vector<uint32_t> ScreenPixels(int x, int y, int width, int height) {
  BITMAPINFO bi = {};
  bi.bmiHeader = {sizeof(bi.bmiHeader), width, -height, 1, 32, BI_RGB};
  void* bits = nullptr;
  WindowDc screen(nullptr);
  UniqueDc mem(CreateCompatibleDC(screen.Get()));
  Gdi<HBITMAP> dib(CreateDIBSection(screen.Get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  std::vector<uint32_t> out;
  if (dib && bits) {
    SelectedObject selected(mem.Get(), dib.Get());
    BitBlt(mem.Get(), 0, 0, width, height, screen.Get(), x, y, SRCCOPY);
    GdiFlush();
    out.assign(static_cast<const uint32_t*>(bits), static_cast<const uint32_t*>(bits) + size_t(width) * size_t(height));
  }
  for (uint32_t& p : out) p &= 0xFFFFFF;
  return out;
}

int DarkPixels(const RECT& r) {
  if (r.right <= r.left || r.bottom <= r.top) return 0;
  int dark = 0;
  for (uint32_t c : ScreenPixels(r.left, r.top, r.right - r.left, r.bottom - r.top))
    if (((c >> 16) & 255) < 90 && ((c >> 8) & 255) < 90 && (c & 255) < 90) ++dark;
  return dark;
}

std::wstring WindowsPath(const std::string& unixPath) {
  std::wstring w = Widen(unixPath);
  if (!w.empty() && w[0] == L'/') w = L"Z:" + w;
  for (wchar_t& c : w)
    if (c == L'/') c = L'\\';
  return w;
}

std::string UnixPath(const std::wstring& windowsPath) {
  std::string s = Narrow(windowsPath.size() > 2 && windowsPath[1] == L':' ? windowsPath.substr(2) : windowsPath);
  for (char& c : s)
    if (c == '\\') c = '/';
  return s;
}

bool RunOnLinux(const std::string& command, DWORD timeoutMs) {
  std::wstring line = L"/bin/sh -c \"" + Widen(command) + L"\"";
  STARTUPINFOW startup = {sizeof(startup)};
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    fprintf(stderr, "could not run /bin/sh (error %lu)\n", GetLastError());
    return false;
  }
  UniqueHandle thread(process.hThread);
  UniqueHandle handle(process.hProcess);
  WaitForSingleObject(handle.Get(), timeoutMs);
  return true;
}

bool WaitForFile(const std::wstring& path, DWORD timeoutMs) {
  for (DWORD waited = 0; waited < timeoutMs; waited += 100) {
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    Sleep(100);
  }
  return false;
}

std::wstring BuildDir() {
  std::string dir = Env("FV_BUILD_DIR");
  if (dir.empty()) {
    // Without it every path below would point somewhere else entirely.
    fprintf(stderr, "FV_BUILD_DIR is not set\n");
    ExitProcess(2);
  }
  return WindowsPath(dir);
}

std::wstring TestPdf(const std::wstring& name) { return BuildDir() + L"\\testdata\\" + name; }

FolivexApp::FolivexApp(const std::wstring& arguments) : FolivexApp(BuildDir() + L"\\Folivex.exe", arguments) {}

FolivexApp::FolivexApp(DWORD processId) : pid_(processId) {
  process_.Reset(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_VM_OPERATION |
                                 PROCESS_VM_READ | PROCESS_VM_WRITE,
                             FALSE, processId));
}

FolivexApp::FolivexApp(const std::wstring& exe, const std::wstring& arguments) {
  std::wstring line = L"\"" + exe + L"\" " + arguments;
  STARTUPINFOW si = {sizeof(si)};
  PROCESS_INFORMATION pi = {};
  if (CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    process_.Reset(pi.hProcess);
    pid_ = pi.dwProcessId;
    UniqueHandle thread(pi.hThread);  // not needed: closed right away
  }
}

FolivexApp::~FolivexApp() {
  if (!process_) return;
  if (WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_.Get(), 99);
    WaitForSingleObject(process_.Get(), 5000);
  }
}

HWND FolivexApp::WaitForWindow(const wchar_t* className, DWORD timeoutMs) {
  ULONGLONG end = GetTickCount64() + timeoutMs;
  do {
    FindData d = {pid_, className, nullptr};
    EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&d));
    if (d.found && IsWindowVisible(d.found)) {
      if (wcscmp(className, L"FolivexMain") == 0) main_ = d.found;
      return d.found;
    }
    if (WaitForSingleObject(process_.Get(), 50) != WAIT_TIMEOUT) return nullptr;
  } while (GetTickCount64() < end);
  return nullptr;
}

std::wstring FolivexApp::Title() {
  wchar_t text[512] = {};
  SendMessageTimeoutW(main_, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, nullptr);
  return text;
}

std::vector<std::wstring> FolivexApp::StatusParts() {
  std::vector<std::wstring> parts;
  HWND status = FindWindowExW(main_, nullptr, STATUSCLASSNAMEW, nullptr);
  if (!status) return parts;
  DWORD_PTR count = 0;
  SendMessageTimeoutW(status, SB_GETPARTS, 0, 0, SMTO_ABORTIFHUNG, 5000, &count);
  // SB_GETTEXTW writes into the caller's memory, so give it memory inside
  // the program's own process and read that back.
  const SIZE_T bytes = 2048 * sizeof(wchar_t);
  void* remote = VirtualAllocEx(process_.Get(), nullptr, bytes, MEM_COMMIT, PAGE_READWRITE);
  if (!remote) return parts;
  for (DWORD_PTR i = 0; i < count; ++i) {
    std::wstring text(2048, L'\0');
    WriteProcessMemory(process_.Get(), remote, text.data(), bytes, nullptr);
    DWORD_PTR r = 0;
    SendMessageTimeoutW(status, SB_GETTEXTW, i, reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG, 5000, &r);
    SIZE_T read = 0;
    ReadProcessMemory(process_.Get(), remote, text.data(), bytes, &read);
    text.resize(wcsnlen(text.c_str(), 2047));
    parts.push_back(text);
  }
  VirtualFreeEx(process_.Get(), remote, 0, MEM_RELEASE);
  return parts;
}

std::vector<RECT> FolivexApp::StatusFieldRects() {
  std::vector<RECT> rects;
  HWND status = FindWindowExW(main_, nullptr, STATUSCLASSNAMEW, nullptr);
  if (!status) return rects;
  DWORD_PTR count = 0;
  SendMessageTimeoutW(status, SB_GETPARTS, 0, 0, SMTO_ABORTIFHUNG, 5000, &count);
  // SB_GETRECT, like SB_GETTEXTW, writes into memory of the program's process.
  void* remote = VirtualAllocEx(process_.Get(), nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
  if (!remote) return rects;
  for (DWORD_PTR i = 0; i < count; ++i) {
    RECT r = {};
    DWORD_PTR ok = 0;
    SendMessageTimeoutW(status, SB_GETRECT, i, reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG, 5000, &ok);
    if (!ok || !ReadProcessMemory(process_.Get(), remote, &r, sizeof(r), nullptr)) break;
    MapWindowPoints(status, nullptr, reinterpret_cast<POINT*>(&r), 2);
    rects.push_back(r);
  }
  VirtualFreeEx(process_.Get(), remote, 0, MEM_RELEASE);
  return rects;
}

void FolivexApp::Command(int id) { PostMessageW(main_, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

void FolivexApp::Key(UINT vk, bool ctrl, bool shift, bool alt) {
  // Bring the program to the front so its own thread sees the key through
  // the normal input path (accelerators included).
  SetForegroundWindow(main_);
  Settle(100);
  std::vector<INPUT> inputs;
  auto add = [&](UINT key, bool up) {
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = WORD(key);
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    inputs.push_back(in);
  };
  if (ctrl) add(VK_CONTROL, false);
  if (shift) add(VK_SHIFT, false);
  if (alt) add(VK_MENU, false);
  add(vk, false);
  add(vk, true);
  if (alt) add(VK_MENU, true);
  if (shift) add(VK_SHIFT, true);
  if (ctrl) add(VK_CONTROL, true);
  SendInput(UINT(inputs.size()), inputs.data(), sizeof(INPUT));
}

bool FolivexApp::DropFiles(const std::vector<std::wstring>& files) {
  std::vector<wchar_t> names;
  for (const std::wstring& f : files) names.insert(names.end(), f.c_str(), f.c_str() + f.size() + 1);
  names.push_back(0);
  std::vector<uint8_t> block(sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
  DROPFILES header = {};
  header.pFiles = sizeof(DROPFILES);
  header.fWide = TRUE;
  memcpy(block.data(), &header, sizeof(header));
  memcpy(block.data() + sizeof(header), names.data(), names.size() * sizeof(wchar_t));
  // Fixed global memory is addressed by its pointer, so a block at an
  // address inside the program serves as its HDROP.
  void* remote = VirtualAllocEx(process_.Get(), nullptr, block.size(), MEM_COMMIT, PAGE_READWRITE);
  if (!remote || !WriteProcessMemory(process_.Get(), remote, block.data(), block.size(), nullptr)) return false;
  return PostMessageW(main_, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0) != 0;
}

void FolivexApp::Settle(DWORD ms) {
  // A round trip through the program's message queue, then a short pause for
  // painting.
  if (main_) SendMessageTimeoutW(main_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
  Sleep(ms);
  if (main_) SendMessageTimeoutW(main_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
}

std::wstring FolivexApp::Screenshot(const std::wstring& name) {
  std::wstring dir = BuildDir() + L"\\screenshots";
  CreateDirectoryW(dir.c_str(), nullptr);
  std::wstring path = dir + L"\\" + name + L".png";
  int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  WindowDc screen(nullptr);
  UniqueDc mem(CreateCompatibleDC(screen.Get()));
  Gdi<HBITMAP> bmp(CreateCompatibleBitmap(screen.Get(), w, h));
  {
    SelectedObject selected(mem.Get(), bmp.Get());
    BitBlt(mem.Get(), 0, 0, w, h, screen.Get(), 0, 0, SRCCOPY);
  }  // the bitmap is saved once it is out of the DC
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  bool ok = SavePng(bmp.Get(), w, h, path);
  CoUninitialize();
  return ok ? path : std::wstring();
}

bool FolivexApp::WaitForExit(DWORD timeoutMs, DWORD* exitCode) {
  if (!process_ || WaitForSingleObject(process_.Get(), timeoutMs) != WAIT_OBJECT_0) return false;
  if (exitCode) GetExitCodeProcess(process_.Get(), exitCode);
  return true;
}

std::wstring TextOf(HWND window) { return TextOfWindow(window); }

std::wstring LongTextOf(HWND window) {
  DWORD_PTR length = 0;
  SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length);
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, 5000,
                      &copied);
  text.resize(copied);
  return text;
}

std::wstring ItemText(HWND window, int id) { return TextOf(GetDlgItem(window, id)); }

bool WaitForItemText(HWND window, int id, const std::wstring& text, DWORD timeoutMs) {
  for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
    if (ItemText(window, id) == text) return true;
    Sleep(50);
  }
  return false;
}

std::wstring ClipboardText() {
  std::wstring text;
  for (int attempt = 0; attempt < 20 && !OpenClipboard(nullptr); ++attempt) Sleep(100);
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const wchar_t* p = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = p;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

const wchar_t kSettingsKey[] = L"Software\\Corvane\\Folivex";

void SetNumber(const wchar_t* name, DWORD value) {
  RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, name, REG_DWORD, &value, sizeof(value));
}
void SetText(const wchar_t* name, const std::wstring& value) {
  RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, name, REG_SZ, value.c_str(), DWORD((value.size() + 1) * sizeof(wchar_t)));
}
void Forget(const wchar_t* name) { RegDeleteKeyValueW(HKEY_CURRENT_USER, kSettingsKey, name); }
bool ReadNumber(const wchar_t* name, DWORD& value) {
  DWORD size = sizeof(value);
  return RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size) == ERROR_SUCCESS;
}
std::wstring ReadText(const wchar_t* name) {
  wchar_t text[1100] = {};
  DWORD size = sizeof(text);
  if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS) return L"";
  return text;
}

// A dialog box of the program, waiting for it to appear.
HWND WaitForDialog(FolivexApp& app, const wchar_t* caption, DWORD timeoutMs, HWND except) {
  ULONGLONG end = GetTickCount64() + timeoutMs;
  do {
    DialogSearch s{app.ProcessId(), caption, except, nullptr};
    EnumWindows(FindDialogProc, reinterpret_cast<LPARAM>(&s));
    if (s.found) return s.found;
    Sleep(50);
  } while (GetTickCount64() < end);
  return nullptr;
}

// The message of a dialog: its longest static text.
std::wstring DialogMessage(HWND dialog) {
  std::wstring text;
  EnumChildWindows(dialog, LongestStatic, reinterpret_cast<LPARAM>(&text));
  return text;
}

void Press(HWND dialog, int id) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void Type(HWND edit, const std::wstring& text) {
  SendMessageTimeoutW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 5000, nullptr);
}

HWND OtherMainWindow(DWORD exceptPid) {
  struct Search {
    DWORD exceptPid;
    HWND found;
  } search = {exceptPid, nullptr};
  EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        wchar_t cls[32] = {};
        GetClassNameW(window, cls, 32);
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        if (pid == s->exceptPid || wcscmp(cls, L"FolivexMain") != 0 || !IsWindowVisible(window)) return TRUE;
        s->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool WaitForTitle(FolivexApp& app, const std::wstring& title, DWORD timeoutMs) {
  ULONGLONG end = GetTickCount64() + timeoutMs;
  do {
    if (app.Title() == title) return true;
    Sleep(50);
  } while (GetTickCount64() < end);
  return false;
}

std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

bool WaitForStatus(FolivexApp& app, int part, const std::wstring& text, DWORD timeoutMs) {
  ULONGLONG end = GetTickCount64() + timeoutMs;
  do {
    std::vector<std::wstring> parts = app.StatusParts();
    if (int(parts.size()) > part && parts[size_t(part)] == text) return true;
    Sleep(50);
  } while (GetTickCount64() < end);
  return false;
}

std::string Narrow(const std::wstring& text) {
  std::string narrow;
  for (wchar_t c : text) narrow += c < 128 ? char(c) : '?';
  return narrow;
}
