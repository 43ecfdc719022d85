#include "update/updater.h"

#include <shellapi.h>

#include <memory>
#include <vector>

#include "base/event_log.h"
#include "base/handles.h"
#include "base/win_util.h"
#include "doc/doc_hooks.h"
#include "doc/document.h"
#include "doc/document_open.h"
#include "doc/layout.h"
#include "update/update_bar.h"
#include "update/update_rules.h"

namespace {

constexpr uint64_t kFirstCheckDelayMs = 8000;
constexpr uint64_t kCheckPeriodMs = 21600000;  // 6 hours
constexpr uint64_t kSoonDelayMs = 2000;
constexpr wchar_t kCaption[] = L"Folivex update";

struct UpdateState {
  bool checking = false;
  bool downloading = false;
  bool available = false;
  UpdateInfo info;
  int percent = -1;
  uint64_t nextCheckAt = 0;
  bool autoUpdate = true;
  bool updatesOffByInstaller = false;
  int installMode = 0;
  HWND main = nullptr;
  UpdaterHooks hooks;
  UniqueHandle downloadThread;
  std::wstring downloadPath;  // where the running download goes
  // A verified download waiting for a print or a save to end.
  std::unique_ptr<DownloadOutcome> waiting;
  // The unsaved-changes question was answered at Update now, with changes
  // left unsaved: the undo depth and the document at that moment.
  bool changesAccepted = false;
  size_t acceptedUndoDepth = 0;
  std::wstring acceptedPath;
};

UpdateState g_update;

std::wstring Printf(size_t capacity, const wchar_t* format, ...) {
  std::vector<wchar_t> buffer(capacity + 1, L'\0');
  va_list args;
  va_start(args, format);
  _vsnwprintf(buffer.data(), capacity, format, args);
  va_end(args);
  buffer[capacity] = 0;
  return buffer.data();
}

int Box(const std::wstring& text, UINT flags) { return MessageBoxW(g_update.main, text.c_str(), kCaption, flags); }

void ShowBar(bool show) {
  HWND bar = UpdateBarWindow();
  if (!bar) return;
  if (show) InvalidateRect(bar, nullptr, FALSE);
  ShowWindow(bar, show ? SW_SHOW : SW_HIDE);
  if (g_update.hooks.layOut) g_update.hooks.layOut();
}

void RefreshBarText() {
  SetUpdateBarText(g_update.downloading ? DownloadingText(g_update.info.version, g_update.percent)
                                        : OfferText(g_update.info.version, kRunningVersion, g_update.info.notes));
}

// The bar goes back to offering the update.
void BackToOffer() {
  g_update.downloading = false;
  g_update.percent = -1;
  SetUpdateBarDownloading(false);
  RefreshBarText();
}

// Asks about unsaved page changes right before the program is replaced,
// unless the user already let them go at Update now and nothing has changed
// since.
bool UnsavedChangesAllowInstall() {
  const bool sameAsAccepted = g_update.changesAccepted && g_doc.loaded && g_doc.path == g_update.acceptedPath &&
                              g_doc.pages.undoStack.size() == g_update.acceptedUndoDepth;
  if (sameAsAccepted) return true;
  return ConfirmUnsavedChanges();
}

void Restart(const std::wstring& program) {
  const int page = g_doc.loaded ? CurrentPage(g_doc.view) + 1 : 0;
  const std::wstring args = RestartArguments(kRunningVersion, page, g_doc.loaded ? g_doc.path : std::wstring());
  LogEvent(L"update: restarting %ls %ls", program.c_str(), args.c_str());
  const INT_PTR started =
      reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", program.c_str(), args.c_str(), nullptr, SW_SHOWNORMAL));
  if (started <= 32) Box(L"Folivex was updated. Please start it again.", MB_OK | MB_ICONINFORMATION);
  DestroyWindow(g_update.main);
}

// Copies the verified bytes, through the handle that was checked, into a
// new file at `target`.
bool CopyVerified(HANDLE verified, const std::wstring& target) {
  LARGE_INTEGER start = {};
  if (!SetFilePointerEx(verified, start, nullptr, FILE_BEGIN)) return false;
  UniqueFile out(CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!out) return false;
  std::vector<uint8_t> buffer(65536);
  for (;;) {
    DWORD read = 0, written = 0;
    if (!ReadFile(verified, buffer.data(), DWORD(buffer.size()), &read, nullptr)) return false;
    if (read == 0) break;
    if (!WriteFile(out.Get(), buffer.data(), read, &written, nullptr) || written != read) return false;
  }
  return FlushFileBuffers(out.Get()) != 0;
}

void ReplaceSelf(DownloadOutcome& download) {
  const std::wstring program = ProgramPath();
  const std::wstring old = program + L".old";
  auto discard = [&] {
    download.verified.Reset();
    DeleteFileW(download.path.c_str());
  };
  DeleteFileW(old.c_str());
  if (!MoveFileExW(program.c_str(), old.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    const DWORD error = GetLastError();
    discard();
    LogEvent(L"update: can't set %ls aside (error %lu)", program.c_str(), error);
    std::wstring text = Printf(899,
                               L"Folivex can't replace itself in this folder:\n%ls\n\nWindows doesn't allow programs "
                               L"to change files in protected folders like Program Files. Move Folivex.exe to your "
                               L"Desktop, Downloads, or a folder such as C:\\Tools, run it from there, and click "
                               L"Update now again.\n\nOr download the new version from the Folivex download page "
                               L"(Help tab \u2192 Download Page).",
                               program.c_str());
    Box(text, MB_OK | MB_ICONWARNING);
    return;
  }
  if (!CopyVerified(download.verified.Get(), program)) {
    const DWORD error = GetLastError();
    DeleteFileW(program.c_str());
    MoveFileExW(old.c_str(), program.c_str(), MOVEFILE_REPLACE_EXISTING);
    discard();
    LogEvent(L"update: couldn't put the new version in place (error %lu)", error);
    Box(L"The new version downloaded fine, but couldn't be put in place. Nothing was changed. Please try again.",
        MB_OK | MB_ICONWARNING);
    return;
  }
  discard();
  LogEvent(L"update: %ls replaced, the old copy kept as %ls", program.c_str(), old.c_str());
  Restart(program);
}

void RunInstaller(DownloadOutcome& download) {
  std::wstring folder = ProgramPath();
  const size_t slash = folder.find_last_of(L'\\');
  folder.resize(slash == std::wstring::npos ? 0 : slash);
  const bool everyone = g_update.installMode == 2;
  const std::wstring params = InstallerParameters(everyone, folder);
  LogEvent(L"update: running installer %ls %ls", download.path.c_str(), params.c_str());

  SHELLEXECUTEINFOW run = {};
  run.cbSize = sizeof(run);
  run.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC;
  run.hwnd = g_update.main;
  run.lpVerb = everyone ? L"runas" : L"open";
  run.lpFile = download.path.c_str();
  run.lpParameters = params.c_str();
  run.nShow = SW_SHOWNORMAL;
  g_busy.installing = true;
  const BOOL started = ShellExecuteExW(&run);
  const DWORD error = started ? 0 : GetLastError();
  // The installer runs from the file that was checked; now it may go.
  download.verified.Reset();
  if (!started || !run.hProcess) {
    g_busy.installing = false;
    DeleteFileW(download.path.c_str());
    Box(error == ERROR_CANCELLED
            ? L"Folivex is installed for everyone on this PC, so updating it needs an administrator's permission, "
              L"and that wasn't given. Nothing was changed.\n\nClick Update now again when an administrator is "
              L"available."
            : L"The update downloaded fine, but its installer couldn't be started. Nothing was changed. Please try "
              L"again.",
        MB_OK | MB_ICONWARNING);
    return;
  }
  UniqueHandle process(run.hProcess);
  ShowShellMessage(L"Installing the update\u2026");
  EnableWindow(g_update.main, FALSE);
  for (;;) {
    const DWORD r = MsgWaitForMultipleObjects(1, &run.hProcess, FALSE, 120000, QS_ALLINPUT);
    if (r != WAIT_OBJECT_0 + 1) break;
    MSG msg;
    bool quit = false;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        PostQuitMessage(int(msg.wParam));
        quit = true;
        break;
      }
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (quit) break;
  }
  DWORD code = 1;
  if (!GetExitCodeProcess(process.Get(), &code)) code = 1;
  process.Reset();
  g_busy.installing = false;
  EnableWindow(g_update.main, TRUE);
  SetForegroundWindow(g_update.main);
  ShowShellMessage(L"");
  DeleteFileW(download.path.c_str());
  LogEvent(L"update: installer finished with code %lu", code);
  if (code != 0) {
    Box(Printf(600,
               L"The installer couldn't finish the update (code %lu). Folivex was not changed.\n\nPlease try again, "
               L"or download Folivex-Setup.exe from the Folivex download page (Help tab \u2192 Download Page).",
               code),
        MB_OK | MB_ICONWARNING);
    return;
  }
  Restart(ProgramPath());
}

// Puts a verified download in place, unless a print or a save runs (then it
// waits for the timer) or the user keeps unsaved changes.
void Install(std::unique_ptr<DownloadOutcome> download) {
  if (g_busy.printing || g_busy.saving) {
    LogEvent(L"update: installation waits for the %ls to end", g_busy.printing ? L"print" : L"save");
    g_update.waiting = std::move(download);
    return;
  }
  if (!UnsavedChangesAllowInstall()) {
    download->verified.Reset();
    DeleteFileW(download->path.c_str());
    LogEvent(L"update: installation given up for unsaved changes");
    return;
  }
  if (g_update.installMode == 1 || g_update.installMode == 2) {
    RunInstaller(*download);
  } else {
    ReplaceSelf(*download);
  }
}

void OnCheckResult(std::unique_ptr<UpdateInfo> result) {
  g_update.checking = false;
  const bool manual = result->manual;
  if (result->ok && CompareVersions(result->version, kRunningVersion) <= 0) {
    if (manual)
      Box(Printf(200, L"You have the latest version of Folivex (%ls).", kRunningVersion), MB_OK | MB_ICONINFORMATION);
  } else if (result->ok) {
    bool done = false;
    const std::wstring version = result->version;
    if (g_update.available && g_update.info.version == version) {
      const bool barVisible = UpdateBarShown();
      if (!g_update.downloading) g_update.info = *result;
      if (barVisible && !manual) done = true;
    } else if (!g_update.downloading) {
      g_update.info = *result;
      g_update.available = true;
    } else {
      done = true;  // the download works on its own copy; the bar stays as it is
    }
    if (!done) {
      RefreshBarText();
      ShowBar(true);
      if (manual && !g_update.downloading) {
        std::wstring question =
            Printf(3599,
                   L"Folivex %ls is available (you have %ls).\n\nWhat's new:\n%ls\n\nUpdate now? Folivex will "
                   L"restart in a few seconds, keep your settings and reopen this PDF.",
                   version.c_str(), kRunningVersion, g_update.info.notes.c_str());
        if (Box(question, MB_YESNO | MB_ICONINFORMATION) == IDYES) UpdateNow();
      }
    }
  } else if (manual) {
    Box(L"Couldn't check for updates.\n\n" + result->errorText, MB_OK | MB_ICONWARNING);
  }
  if (manual) ShowShellMessage(L"");
}

void OnDownloadDone(std::unique_ptr<DownloadOutcome> outcome) {
  g_update.downloadThread.Reset();
  BackToOffer();
  if (!outcome->error.empty()) {
    if (!g_updateCancel.load()) Box(L"The update didn't install.\n\n" + outcome->error, MB_OK | MB_ICONWARNING);
    return;
  }
  Install(std::move(outcome));
}

}  // namespace

void StartUpdater(const UpdaterSetup& setup) {
  g_update.main = setup.main;
  g_update.installMode = setup.installMode;
  g_update.updatesOffByInstaller = setup.updatesOffByInstaller;
  g_update.autoUpdate = setup.autoUpdate && !setup.updatesOffByInstaller;
  g_update.hooks = setup.hooks;
  g_update.nextCheckAt = GetTickCount64() + kFirstCheckDelayMs;
}

void UpdaterTick() {
  if (g_update.waiting && !g_busy.printing && !g_busy.saving) Install(std::move(g_update.waiting));
  const uint64_t now = GetTickCount64();
  if (g_update.autoUpdate && now >= g_update.nextCheckAt) {
    g_update.nextCheckAt = now + kCheckPeriodMs;
    StartUpdateCheck(false);
  }
}

void SetAutomaticChecks(bool on) {
  if (g_update.updatesOffByInstaller) return;
  g_update.autoUpdate = on;
  if (on) g_update.nextCheckAt = GetTickCount64() + kSoonDelayMs;
}

void StartUpdateCheck(bool manual) {
  if (g_update.checking || g_update.downloading) return;
  g_update.checking = true;
  if (manual) ShowShellMessage(L"Checking for updates\u2026");
  if (!StartFeedCheck(g_update.main, manual)) {
    g_update.checking = false;
    if (manual) ShowShellMessage(L"");
  }
}

bool HandleUpdaterMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_FV_UPDATE_CHECKED:
      OnCheckResult(std::unique_ptr<UpdateInfo>(reinterpret_cast<UpdateInfo*>(lParam)));
      return true;
    case WM_FV_UPDATE_PROGRESS:
      if (g_update.downloading && int(wParam) != g_update.percent) {
        g_update.percent = int(wParam);
        RefreshBarText();
      }
      return true;
    case WM_FV_UPDATE_DOWNLOADED:
      OnDownloadDone(std::unique_ptr<DownloadOutcome>(reinterpret_cast<DownloadOutcome*>(lParam)));
      return true;
  }
  return false;
}

void UpdateNow() {
  if (g_update.downloading || !g_update.available || g_update.waiting || g_busy.installing) return;
  if (g_busy.printing) {
    Box(L"Folivex is printing. Let it finish, then click Update now.", MB_OK | MB_ICONINFORMATION);
    return;
  }
  if (g_busy.saving) return;
  if (!ConfirmUnsavedChanges()) return;
  g_update.changesAccepted = g_doc.loaded && g_doc.pages.orderChanged;
  g_update.acceptedUndoDepth = g_doc.pages.undoStack.size();
  g_update.acceptedPath = g_doc.path;

  g_update.downloading = true;
  g_updateCancel = false;
  g_update.percent = 0;
  SetUpdateBarDownloading(true);
  RefreshBarText();
  DownloadJob job;
  job.target = g_update.main;
  job.info = g_update.info;
  job.installed = g_update.installMode == 1 || g_update.installMode == 2;
  LogEvent(L"update: downloading %ls", job.info.version.c_str());
  g_update.downloadPath = DownloadFileName(TempFolder(), job.info.version, job.installed);
  g_update.downloadThread = StartDownload(job);
  if (!g_update.downloadThread) BackToOffer();
}

void ShowNewVersionNotes() {
  if (!g_update.available || !g_update.hooks.showNotes) return;
  g_update.hooks.showNotes(
      L"What's new in Folivex",
      Printf(200, L"Folivex %ls \u2014 what's new (you have %ls)\n\n", g_update.info.version.c_str(), kRunningVersion),
      g_update.info.notes);
}

void UpdateLater() {
  if (g_update.downloading) {
    g_updateCancel = true;
    return;
  }
  ShowBar(false);
}

bool UpdateBarShown() {
  HWND bar = UpdateBarWindow();
  return bar && IsWindowVisible(bar);
}

void StopUpdater() {
  if (g_update.waiting) {
    g_update.waiting->verified.Reset();
    DeleteFileW(g_update.waiting->path.c_str());
    g_update.waiting.reset();
  }
  if (!g_update.downloadThread) return;
  g_updateCancel = true;
  // The transfer looks at the flag after every chunk; the thread deletes its
  // partial file on the way out. A stalled transfer doesn't look: its file
  // is deleted here (it goes when the process ends and the handle closes).
  if (WaitForSingleObject(g_update.downloadThread.Get(), 3000) == WAIT_TIMEOUT && !g_update.downloadPath.empty()) {
    LogEvent(L"update: the download didn't stop; deleting %ls", g_update.downloadPath.c_str());
    DeleteFileW(g_update.downloadPath.c_str());
  }
  g_update.downloadThread.Reset();
}
