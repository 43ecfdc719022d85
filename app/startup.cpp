#include "app/startup.h"

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include "app/app_state.h"
#include "app/command_dispatch.h"
#include "app/command_line.h"
#include "app/default_app.h"
#include "app/help_texts.h"
#include "app/install_mode.h"
#include "app/main_window.h"
#include "app/notes_window.h"
#include "app/ribbon.h"
#include "app/settings_tab.h"
#include "app/status_bar.h"
#include "app/window_geometry.h"
#include "base/event_log.h"
#include "base/handles.h"
#include "base/win_util.h"
#include "doc/document_open.h"
#include "doc/settings.h"
#include "doc/worker_messages.h"
#include "pages/cross_window.h"
#include "pages/page_panel.h"
#include "share/mail_window.h"
#include "share/send_window.h"
#include "share/share_settings.h"
#include "ui/commands.h"
#include "view/find_bar.h"
#include "update/update_bar.h"
#include "view/page_view.h"

AppState g_app;

std::wstring StartupFailureText(const wchar_t* what, unsigned long error) {
  std::wstring text = std::wstring(L"Folivex couldn't start: ") + what + L".";
  if (error != 0) text += L"\n\n" + SystemErrorText(error);
  return text;
}

namespace {

struct WindowClass {
  const wchar_t* name;
  WNDPROC proc;
  bool programIcon;
};

// Every window class of the program. Classes join this table as their
// windows are built.
const WindowClass kWindowClasses[] = {
    {L"FolivexMain", MainWndProc, true},
    {L"FVRibbon", RibbonWndProc, false},
    {L"FolivexView", PageViewProc, false},
    {L"FVThumbs", PagePanelProc, false},
    {L"FVNotes", NotesWndProc, true},
    {L"FVFind", FindBarProc, false},
    {L"FVUpdBar", UpdateBarProc, false},
    {L"FVShare", SendWindowProc, true},
    {L"FVMail", MailWindowProc, true},
};

bool RegisterWindowClasses() {
  for (const WindowClass& c : kWindowClasses) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = 0;
    wc.lpfnWndProc = c.proc;
    wc.hInstance = g_ui.instance;
    wc.hIcon = c.programIcon ? g_ui.programIcon : nullptr;
    wc.hIconSm = c.programIcon ? g_ui.programIcon : nullptr;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = c.name;
    if (!RegisterClassExW(&wc)) return false;
  }
  return true;
}

// A start-up step failed: the reason goes to the log and to the user, who
// would otherwise see nothing at all.
int FailStart(const wchar_t* what, DWORD error) {
  std::wstring text = StartupFailureText(what, error);
  LogEvent(L"Start-up failed: %ls", text.c_str());
  MessageBoxW(nullptr, text.c_str(), L"Folivex", MB_OK | MB_ICONERROR);
  return 1;
}

bool IsKeyDown(int key) { return (GetKeyState(key) & 0x8000) != 0; }

void RunMessageLoop() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (root && root != g_app.mainWindow && IsDialogMessageW(root, &msg)) continue;
    if (msg.message == WM_KEYDOWN) {
      HWND focus = GetFocus();
      WPARAM key = msg.wParam;
      bool editKey = key == 'A' || key == 'C' || key == 'V' || key == 'X' || key == 'Z';
      bool plainDispatch =
          (g_app.findBox && focus == g_app.findBox && IsKeyDown(VK_CONTROL) && editKey) ||
          (key == VK_DELETE && focus != g_app.pageView && focus != g_app.mainWindow);
      if (plainDispatch) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        continue;
      }
    }
    if (g_app.mainWindow && g_app.accelerators &&
        TranslateAcceleratorW(g_app.mainWindow, g_app.accelerators, &msg))
      continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// Shows the window where the user left it, when the saved placement is
// usable; otherwise with the show command the program was started with.
void ShowWithSavedPlacement(HWND main, int showCommand) {
  WINDOWPLACEMENT wp = {};
  if (ReadWindowPlacement(wp) && MonitorFromRect(&wp.rcNormalPosition, MONITOR_DEFAULTTONULL)) {
    wp.length = sizeof(wp);
    if (wp.showCmd != SW_SHOWMAXIMIZED) {
      bool minimised = showCommand == SW_SHOWMINIMIZED || showCommand == SW_MINIMIZE;
      wp.showCmd = minimised ? SW_SHOWMINNOACTIVE : SW_SHOWNORMAL;
    }
    SetWindowPlacement(main, &wp);
  } else {
    ShowWindow(main, showCommand);
  }
}

}  // namespace

bool RegisterFolivexClasses() { return RegisterWindowClasses(); }

void PlaceWindowByFrame(HWND window, int x, int y, int width, int height) {
  SetWindowPos(window, nullptr, x, y, width, height, SWP_NOACTIVATE | SWP_NOZORDER);
  UniqueModule dwm(LoadLibraryExW(L"dwmapi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
  if (!dwm) return;
  using GetAttributeFn = HRESULT(WINAPI*)(HWND, DWORD, PVOID, DWORD);
  auto getAttribute = reinterpret_cast<GetAttributeFn>(GetProcAddress(dwm.Get(), "DwmGetWindowAttribute"));
  RECT win = {}, frame = {};
  const DWORD kExtendedFrameBounds = 9;  // DWMWA_EXTENDED_FRAME_BOUNDS
  if (getAttribute && GetWindowRect(window, &win) &&
      SUCCEEDED(getAttribute(window, kExtendedFrameBounds, &frame, sizeof(frame)))) {
    IntRect fixed;
    if (FrameCorrectedRect({x, y, width, height}, win.left, win.top, win.right, win.bottom, frame.left, frame.top,
                           frame.right, frame.bottom, fixed))
      SetWindowPos(window, nullptr, fixed.x, fixed.y, fixed.w, fixed.h, SWP_NOACTIVATE | SWP_NOZORDER);
  }
}

int RunFolivex(HINSTANCE instance, int showCommand) {
  // 1. Instance and the engine switch, before anything else.
  g_ui.instance = instance;
  std::wstring wholeLine = GetCommandLineW();
  g_app.forceWindowsEngine = ContainsNoCase(wholeLine, L"/winengine");

  // 2-3. COM and the common controls.
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES |
                                               ICC_BAR_CLASSES | ICC_TAB_CLASSES | ICC_UPDOWN_CLASS |
                                               ICC_PROGRESS_CLASS | ICC_HOTKEY_CLASS | ICC_ANIMATE_CLASS};
  if (!InitCommonControlsEx(&icc)) return FailStart(L"Windows refused its common controls", GetLastError());

  // 4. Screen DPI, read once, and the three fonts.
  ReadDpiAndMakeFonts();

  // 5. Settings, in their start-up order.
  LoadStartupSettings();

  // 6. Where this copy lives; an installer's policy turns updates off in
  // memory (the stored setting is left alone).
  g_app.install = DetectInstallMode();
  if (g_app.install.updatesOffByInstaller) g_settings.AutoUpdate = 0;
  g_updatesOffByInstaller = g_app.install.updatesOffByInstaller;

  // 8. A registration of this user that names another program file (the
  // program was moved) is pointed here again.
  RepairFileType();

  // 7. The sharing settings and the saved people; 9. the last ways chosen.
  LoadShareSettings();
  LoadShareChoices();

  // 11. The message that two windows use for page drags.
  PageDragMessage();  // registered at start, before any other window asks

  // 12. The command line.
  std::vector<std::wstring> args;
  int argc = 0;
  if (LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc)) {
    for (int i = 0; i < argc; ++i) args.emplace_back(argv[i]);
    LocalFree(argv);
  }
  CommandLineArgs cmd = ParseCommandLine(wholeLine, args);
  g_app.placedByAt = cmd.atValid;
  g_app.initialPage = cmd.initialPage;

  // 13. The render worker (it puts the engines in place on its own thread).
  StartRenderWorker(g_app.forceWindowsEngine);

  // 14-16. Program icon, window classes, accelerators.
  g_ui.programIcon = LoadIconW(instance, MAKEINTRESOURCEW(101));
  if (!RegisterWindowClasses()) {
    const DWORD error = GetLastError();
    StopRenderWorker();
    return FailStart(L"its window classes couldn't be registered", error);
  }
  std::vector<ACCEL> accels = AcceleratorEntries();
  UniqueAccel accelerators(CreateAcceleratorTableW(accels.data(), int(accels.size())));
  g_app.accelerators = accelerators.Get();

  // 17. Default rectangle from the primary monitor's work area.
  RECT work = {0, 0, 1280, 1024};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  IntRect r = DefaultWindowRect(work.left, work.top, work.right - work.left, work.bottom - work.top, g_ui.dpi);

  // The second window shows its page panel (not stored).
  if (cmd.atValid) g_settings.PagePanel = 1;

  // 18. The main window.
  HWND main = CreateWindowExW(0, L"FolivexMain", L"Folivex", kMainWindowStyle, r.x, r.y, r.w, r.h, nullptr, nullptr,
                              instance, nullptr);
  if (!main) {
    const DWORD error = GetLastError();
    StopRenderWorker();
    return FailStart(L"its main window couldn't be created", error);
  }
  SetRenderTarget(main);

  // 19. Show and place it.
  if (cmd.atValid) {
    ShowWindow(main, SW_SHOWNORMAL);
    PlaceWindowByFrame(main, cmd.atX, cmd.atY, cmd.atW, cmd.atH);
  } else {
    ShowWithSavedPlacement(main, showCommand);
  }

  // 20. First paint, the status bar filled; the keyboard goes to the page view.
  UpdateWindow(main);
  UpdateStatus();
  SetFocus(g_app.pageView ? g_app.pageView : main);

  // 21. The first document.
  OpenFirstDocument(cmd.path, g_app.initialPage);

  // 22. After an update: say so (the text is cut to 199 characters).
  if (!cmd.updatedFrom.empty()) {
    wchar_t text[200];
    _snwprintf(text, 199, L"Folivex was updated from %ls to %ls. Your settings were kept.", cmd.updatedFrom.c_str(),
               kFolivexVersion);
    text[199] = 0;
    ShowStatusMessage(text);
  }

  // 23. What's new: after an update, or the first start of a newer version
  // than the one that ran last.
  if (ShouldShowWhatsNew(ReadSeenVersion(), !cmd.updatedFrom.empty(), kFolivexVersion))
    PostMessageW(main, WM_FV_SHOW_WHATS_NEW, 0, 0);
  WriteSeenVersion(kFolivexVersion);

  // 24. The message loop.
  RunMessageLoop();

  // 25. Shutdown: the worker first (this ends the process when it hangs),
  // then what it shared with us.
  StopRenderWorker();
  ReleaseDocumentAtExit();
  g_app.accelerators = nullptr;
  accelerators.Reset();
  CoUninitialize();
  return 0;
}
