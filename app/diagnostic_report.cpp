#include "app/diagnostic_report.h"

#include <shlobj.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/app_state.h"
#include "app/help_texts.h"
#include "app/notes_window.h"
#include "app/report_text.h"
#include "app/status_bar.h"
#include "base/event_log.h"
#include "base/handles.h"
#include "base/win_util.h"
#include "doc/document.h"
#include "doc/settings.h"
#include "engine/render_worker.h"
#include "pages/page_panel.h"
#include "ui/shell_ops.h"
#include "ui/ui_context.h"

namespace {

constexpr wchar_t kReportFileName[] = L"Folivex diagnostics.txt";
constexpr wchar_t kCopiedText[] =
    L"It was also copied to the clipboard, so you can paste it (Ctrl+V) straight into an email or chat.";

std::wstring ReadText(HKEY key, const wchar_t* name, DWORD maxBytes) {
  std::wstring text;
  ReadRegistryText(key, name, maxBytes, text);
  return text;
}

void ReadWindowsVersion(ReportFacts& f) {
  UniqueRegKey key = OpenRegistryKey(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion",
                                     KEY_READ | KEY_WOW64_64KEY);
  if (!key) return;
  f.productName = ReadText(key.Get(), L"ProductName", 256);
  f.displayVersion = ReadText(key.Get(), L"DisplayVersion", 64);
  f.buildNumber = ReadText(key.Get(), L"CurrentBuildNumber", 64);
  DWORD ubr = 0;
  if (ReadRegistryNumber(key.Get(), L"UBR", ubr)) {
    f.hasUbr = true;
    f.ubr = ubr;
  }
}

ReportPicture DescribeCached(const CachedPicture* cached) {
  ReportPicture p;
  if (!cached || !cached->bitmap) return p;
  p.present = true;
  p.width = cached->gotWidth;
  p.height = cached->gotHeight;
  p.askedWidth = cached->askedWidth;
  p.askedHeight = cached->askedHeight;
  p.rotation = cached->rotation;
  DIBSECTION dib = {};
  if (GetObjectW(static_cast<HBITMAP>(cached->bitmap), sizeof(dib), &dib) == int(sizeof(dib)) &&
      dib.dsBm.bmBitsPixel == 32 && dib.dsBm.bmBits && dib.dsBm.bmWidthBytes == dib.dsBm.bmWidth * 4)
    p.ink = InkShare(static_cast<const uint32_t*>(dib.dsBm.bmBits), dib.dsBm.bmWidth, std::abs(dib.dsBm.bmHeight));
  return p;
}

ReportFacts GatherFacts(HWND main) {
  ReportFacts f;
  SYSTEMTIME now = {};
  GetLocalTime(&now);
  f.year = now.wYear;
  f.month = now.wMonth;
  f.day = now.wDay;
  f.hour = now.wHour;
  f.minute = now.wMinute;
  f.second = now.wSecond;
  f.version = kFolivexVersion;
  f.installMode = g_app.install.mode;
  f.updatesOffByInstaller = g_app.install.updatesOffByInstaller;
  f.programPath = ProgramPath();
  ReadWindowsVersion(f);

  f.screenWidth = GetSystemMetrics(SM_CXSCREEN);
  f.screenHeight = GetSystemMetrics(SM_CYSCREEN);
  f.monitors = GetSystemMetrics(SM_CMONITORS);
  if (WindowDc screen(nullptr); screen) {
    f.dpiNow = GetDeviceCaps(screen.Get(), LOGPIXELSX);
    f.colorDepth = GetDeviceCaps(screen.Get(), BITSPIXEL);
  }
  f.dpiInUse = g_ui.dpi;

  RECT r = {};
  GetWindowRect(main, &r);
  f.windowLeft = r.left;
  f.windowTop = r.top;
  f.windowRight = r.right;
  f.windowBottom = r.bottom;
  f.maximized = IsZoomed(main) != FALSE;
  if (g_app.pageView && GetClientRect(g_app.pageView, &r)) {
    f.viewWidth = r.right;
    f.viewHeight = r.bottom;
  }
  f.panelSetting = g_settings.PagePanel != 0;
  const PagePanelNumbers panel = PagePanelState();
  f.panelWidth = panel.width;
  f.panelHeight = panel.height;
  f.panelScroll = panel.scroll;
  f.panelRange = panel.range;
  f.sideView = panel.view;

  f.loaded = g_doc.loaded;
  f.loading = g_doc.loading;
  f.documentPath = g_doc.path;
  f.positions = g_doc.pages.PageCount();
  f.orderChanged = g_doc.pages.orderChanged;
  f.undoSteps = int(g_doc.pages.undoStack.size());
  f.selected = g_doc.pages.selected;
  f.editState = g_doc.editState;
  f.editReason = g_doc.editRefusal;
  f.zoom = g_doc.view.zoomPercent;
  f.zoomMode = g_doc.view.zoomMode;
  f.rotationDegrees = g_doc.view.rotation * 90;
  f.scrollX = int(g_doc.view.scrollX);
  f.scrollY = int(g_doc.view.scrollY);
  f.password = !g_doc.password.empty();
  f.generation = g_doc.generation;
  f.documentOnPdfium = g_doc.pdfium;

  WorkerSnapshot worker = g_worker.Snapshot();
  f.jobsWaiting = worker.waiting;
  f.busy = worker.busy;
  f.jobKind = worker.running.kind;
  f.jobPage = worker.running.page;
  f.jobWidth = worker.running.width;
  f.jobHeight = worker.running.height;
  f.bmpMode = worker.bmpMode;
  f.pdfiumLoaded = worker.pdfiumLoaded;
  f.engineStatus = worker.enginesStarted ? worker.engineStatus : L"(the engines are still starting)";

  f.textRead = int(g_doc.text.size());
  f.textPages = g_doc.loaded ? g_doc.pages.SourceCount() : 0;
  f.textWaiting = int(g_doc.pendingText.size());
  f.findOpen = g_doc.find.open;
  f.findText = g_doc.find.query;
  f.matches = int(g_doc.find.matches.size());
  f.selection = g_doc.selection.hasSelection;
  f.bookmarks = int(g_doc.bookmarks.size());

  const PageModel& pages = g_doc.pages;
  const size_t count = std::min(pages.order.size(), kReportPageLines);
  for (size_t i = 0; i < count; ++i) {
    ReportPage p;
    const int source = pages.order[i];
    p.fileIndex = source;
    if (i < pages.widths.size()) p.paperWidth = pages.widths[i];
    if (i < pages.heights.size()) p.paperHeight = pages.heights[i];
    if (i < g_doc.view.pageWidth.size()) p.screenWidth = g_doc.view.pageWidth[i];
    if (i < g_doc.view.pageHeight.size()) p.screenHeight = g_doc.view.pageHeight[i];
    p.big = DescribeCached(g_doc.pictures.Find(source));
    p.small = DescribeCached(g_doc.thumbnails.Find(source));
    if (i < panel.slots.size()) {
      p.slotWidth = panel.slots[i].width;
      p.slotHeight = panel.slots[i].height;
      p.slotTop = panel.slots[i].top;
    }
    f.pages.push_back(p);
  }
  f.now = GetTickCount();
  ReadEventLog(f.eventLog);
  return f;
}

std::wstring ReportFolder() {
  std::wstring folder;
  PWSTR desktop = nullptr;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Desktop, 0, nullptr, &desktop)) && desktop) folder = desktop;
  CoTaskMemFree(desktop);
  if (folder.empty()) folder = TempFolder();
  if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
  return folder;
}

bool SaveUtf8WithBom(const std::wstring& path, const std::wstring& text) {
  std::string bytes = "\xEF\xBB\xBF";
  if (!text.empty()) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    if (n <= 0) return false;
    bytes.resize(3 + size_t(n));
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), bytes.data() + 3, n, nullptr, nullptr);
  }
  UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    LogEvent(L"diagnostic report: \"%ls\" couldn't be created: error %lu", path.c_str(), GetLastError());
    return false;
  }
  DWORD written = 0;
  if (!WriteFile(file.Get(), bytes.data(), DWORD(bytes.size()), &written, nullptr) || written != bytes.size()) {
    LogEvent(L"diagnostic report: writing \"%ls\" failed: error %lu", path.c_str(), GetLastError());
    return false;
  }
  return true;
}

}  // namespace

void WriteDiagnosticReport(HWND main) {
  const std::wstring report = ComposeReport(GatherFacts(main));
  const std::wstring folder = ReportFolder();
  const std::wstring path = folder + kReportFileName;
  const bool saved = !folder.empty() && SaveUtf8WithBom(path, report);
  const bool copied = CopyTextToClipboard(main, report);
  LogEvent(L"diagnostic report: %lu characters, saved %d, copied %d", static_cast<unsigned long>(report.size()),
           saved ? 1 : 0, copied ? 1 : 0);

  std::wstring first;
  if (saved) {
    OpenWithShell(main, path);
    first = L"The diagnostic report was saved on your Desktop as:\n";
    ShowStatusMessage(L"Diagnostic report saved on the Desktop.");
  } else {
    first = L"The report couldn't be saved as a file.";
    if (copied) ShowStatusMessage(L"Diagnostic report copied.");
  }
  std::wstring message =
      FormatCapped(900, L"%ls%ls\n\n%ls\n\nSend that text to whoever is helping you with Folivex.", first.c_str(),
                   saved ? path.c_str() : L"", copied ? kCopiedText : L"");
  MessageBoxW(main, message.c_str(), L"Folivex diagnostic report", MB_OK | MB_ICONINFORMATION);
}
