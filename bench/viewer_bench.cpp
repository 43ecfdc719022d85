// Viewer benchmarks: the real main window, page view and render worker of
// the program, driven in-process, with the figures printed side by side.
// Reproduce them with one command: tools/run_viewer_bench.sh
//
//   viewer_bench open PDF [ROUNDS]
//     Open -> first page picture on screen, against PDFium alone opening the
//     same file and rendering its first page at the same pixel size.
//     "Ours" runs from OpenDocument until page 0's picture of the requested
//     size is in the picture cache and the page view has painted it.
//     "PDFium" is a bare client of a separate copy of the same engine DLL
//     (its own module, so no state is shared with the worker's engine):
//     FPDF_LoadDocument, FPDF_LoadPage, FPDFBitmap_Create, FillRect and
//     FPDF_RenderPageBitmap with the flags the page view's renders use. The
//     two are measured alternately, one warm-up round each first.
//
//   viewer_bench memory PDF
//     Memory of the process while the PDF is scrolled from top to bottom one
//     screen at a time (waiting at each step until the visible pages'
//     pictures are on screen), and after it is closed again. "Private" is the
//     commit charge (PagefileUsage); memory is in MB of 1,000,000 bytes.
//
//   viewer_bench panel PDF [ROUNDS]
//     With the page panel shown: open -> every thumbnail the panel shows is
//     painted, against PDFium alone opening the same file and rendering those
//     pages at the same slot sizes (one bitmap per page, like the worker);
//     and, after each of our rounds, against PDFium alone doing the jobs
//     whose results the windows took in during that round, in their order
//     (the page view's pictures and the page's text come before most
//     thumbnails in the worker's queue), each page loaded once.
//
//   viewer_bench fling PDF shown|hidden
//     The page panel flung from top to bottom in 100 wheel turns, one a
//     frame (16 ms, a paint after each, no waiting for the worker), then
//     settled. The thumbnails rendered are counted against the slots of the
//     last screen. Peak private memory is printed; run it once with the
//     panel shown and once with it hidden (the same wheel turns reach the
//     hidden panel), in two processes as tools/run_viewer_bench.sh does.
//   viewer_bench find PDF [ROUNDS]
//     Find on a long document. (1) Indexing: from the moment a search starts
//     until the text of every page is in the text index, read by the worker
//     in the background, against PDFium alone loading the text of the same
//     pages in this process (FPDF_LoadPage, FPDFText_LoadPage, every
//     character's code: what a background read takes), given the file the
//     way the program gives it (positioned reads through
//     FPDF_LoadCustomDocument), and for reference opening it itself. (2) Scrolling while that runs: the time of
//     each scroll step (scroll, paint) and the longest message the UI thread
//     handled meanwhile, with and without indexing going on. (3) Typing a
//     six-letter query ("status") into the indexed document: from the last
//     keystroke's change of the find box until the first match is
//     highlighted on screen.
//
// FV_BENCH_READ_ONLY=1 makes the find benchmark's indexing ask for every
// page's text without searching (the worker's and the messages' share).
//
// FV_BENCH_TRACE=1 in the environment adds one traced round of the open
// benchmark: every message dispatched, with its time and duration.
//
// The settings are the built-in defaults (fit width); the registry values the
// document code writes (LastFile, LastPage) are put back as they were.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <psapi.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/main_window.h"
#include "base/handles.h"
#include "app/startup.h"
#include "app/status_bar.h"
#include "base/event_log.h"
#include "doc/document.h"
#include "doc/document_open.h"
#include "doc/layout.h"
#include "doc/settings.h"
#include "doc/worker_messages.h"
#include "engine/render_worker.h"
#include "pages/page_panel.h"
#include "view/find_bar.h"
#include "view/page_view.h"
#include "view/page_view_rules.h"

namespace {

constexpr int kWindowWidth = 1000;
constexpr int kWindowHeight = 800;
constexpr DWORD kStepTimeoutMs = 60000;

double NowMs() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return double(now.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

// With FV_BENCH_TRACE set, every message the benchmark dispatches is printed
// with its time and how long it took.
bool g_trace = false;
double g_traceStart = 0;
double g_dispatchMs = 0;  // time the UI thread spent handling messages

// A job of the worker's, as its result reached the window.
struct WorkerJob {
  int kind = 0;  // kJobRenderPage, kJobThumbnail or kJobTextNow/Background
  int page = 0;
  int width = 0, height = 0;  // of the bitmap rendered
};
std::vector<WorkerJob>* g_jobsSeen = nullptr;  // set while a round is watched

void NoteWorkerJob(const MSG& msg) {
  if (!g_jobsSeen || !msg.lParam) return;
  if (msg.message == WM_FV_PICTURE || msg.message == WM_FV_THUMBNAIL) {
    const auto* r = reinterpret_cast<const RenderResult*>(msg.lParam);
    if (r->hr >= 0 && r->bitmap)
      g_jobsSeen->push_back({msg.message == WM_FV_PICTURE ? kJobRenderPage : kJobThumbnail, r->page, r->gotWidth,
                             r->gotHeight});
  } else if (msg.message == WM_FV_TEXT) {
    const auto* r = reinterpret_cast<const TextResult*>(msg.lParam);
    if (r->ok) g_jobsSeen->push_back({r->background ? kJobTextBackground : kJobTextNow, r->page, 0, 0});
  }
}

void Dispatch(const MSG& msg) {
  NoteWorkerJob(msg);
  const double t = NowMs();
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
  g_dispatchMs += NowMs() - t;
  if (g_trace) {
    wchar_t cls[64] = L"";
    if (msg.hwnd) GetClassNameW(msg.hwnd, cls, 64);
    std::printf("    %8.2f ms  %-14ls msg 0x%04X took %.2f ms\n", t - g_traceStart, cls, msg.message, NowMs() - t);
  }
}

// Dispatches messages until done() holds, checking after every message.
template <typename Done>
bool PumpUntil(Done done, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  for (;;) {
    if (done()) return true;
    if (GetTickCount64() > end) return false;
    MSG msg;
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      Dispatch(msg);
      continue;
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
}

void PumpFor(DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  PumpUntil([&] { return GetTickCount64() >= end; }, ms + 1000);
}

bool WorkerIdle() {
  WorkerSnapshot s = g_worker.Snapshot();
  return s.waiting == 0 && !s.busy;
}

// Waits until the worker has nothing left to do and its results are handled.
bool Settle() {
  bool idle = PumpUntil(WorkerIdle, kStepTimeoutMs);
  PumpFor(30);
  return idle && WorkerIdle();
}

bool PositionOnScreen(int position) {
  const PageOrder& order = g_doc.pages.order;
  return g_doc.loaded && size_t(position) < order.size() &&
         PictureUpToDate(g_doc.pictures, g_doc.view, position, order[size_t(position)]);
}

bool VisiblePagesOnScreen() {
  if (!g_doc.loaded) return false;
  const PageRange visible = VisiblePages(g_doc.view);
  for (int p = visible.first; p < visible.end; ++p)
    if (!PositionOnScreen(p)) return false;
  return true;
}

// --- Registry values the document code writes --------------------------------

struct SavedValue {
  const wchar_t* name;
  bool present = false;
  DWORD type = 0;
  std::vector<BYTE> data;
};

std::vector<SavedValue> SaveSettingValues() {
  std::vector<SavedValue> values = {{L"LastFile"}, {L"LastPage"}, {L"WindowPlacement"}};
  HKEY raw = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKeyPath, 0, KEY_READ, &raw) != ERROR_SUCCESS) return values;
  UniqueRegKey key(raw);
  for (SavedValue& v : values) {
    DWORD size = 0;
    if (RegQueryValueExW(key.Get(), v.name, nullptr, &v.type, nullptr, &size) != ERROR_SUCCESS) continue;
    v.data.resize(size);
    if (RegQueryValueExW(key.Get(), v.name, nullptr, &v.type, v.data.data(), &size) == ERROR_SUCCESS) {
      v.data.resize(size);
      v.present = true;
    }
  }
  return values;
}

void RestoreSettingValues(const std::vector<SavedValue>& values) {
  HKEY raw = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKeyPath, 0, KEY_SET_VALUE, &raw) != ERROR_SUCCESS) return;
  UniqueRegKey key(raw);
  for (const SavedValue& v : values) {
    if (v.present)
      RegSetValueExW(key.Get(), v.name, 0, v.type, v.data.data(), DWORD(v.data.size()));
    else
      RegDeleteValueW(key.Get(), v.name);
  }
}

// --- The program, set up as its entry does -----------------------------------

bool EngineLineLogged() {
  std::wstring log;
  ReadEventLog(log);
  return log.find(L"PDF engine: ") != std::wstring::npos;
}

// The DLL the worker's PDFium was loaded from, read from its log line.
std::wstring EnginePathFromLog() {
  std::wstring log;
  ReadEventLog(log);
  const std::wstring head = L"PDF engine: PDFium (";
  size_t at = log.find(head);
  if (at == std::wstring::npos) return std::wstring();
  at += head.size();
  size_t end = log.find(L"); Windows engine", at);
  return end == std::wstring::npos ? std::wstring() : log.substr(at, end - at);
}

HWND StartProgram() {
  g_ui.instance = GetModuleHandleW(nullptr);
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES};
  InitCommonControlsEx(&icc);
  ReadDpiAndMakeFonts();

  StartRenderWorker(false);
  g_ui.programIcon = LoadIconW(g_ui.instance, MAKEINTRESOURCEW(101));
  if (!RegisterFolivexClasses()) return nullptr;
  HWND main = CreateWindowExW(0, L"FolivexMain", L"Folivex", kMainWindowStyle, 40, 40, kWindowWidth,
                              kWindowHeight, nullptr, nullptr, g_ui.instance, nullptr);
  if (!main) return nullptr;
  SetRenderTarget(main);
  ShowWindow(main, SW_SHOWNORMAL);
  UpdateWindow(main);
  UpdateStatus();
  if (!PumpUntil(EngineLineLogged, kStepTimeoutMs)) return nullptr;
  PumpFor(300);
  return main;
}

std::string Narrow(const std::wstring& text) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(size_t(std::max(n, 1)), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), n, nullptr, nullptr);
  out.resize(strlen(out.c_str()));
  return out;
}

// --- PDFium alone --------------------------------------------------------------

struct BarePdfium {
  UniqueModule module;
  void(__cdecl* InitLibrary)() = nullptr;
  void*(__cdecl* LoadDocument)(const char*, const char*) = nullptr;
  void(__cdecl* CloseDocument)(void*) = nullptr;
  void*(__cdecl* LoadPage)(void*, int) = nullptr;
  void(__cdecl* ClosePage)(void*) = nullptr;
  void*(__cdecl* BitmapCreate)(int, int, int) = nullptr;
  int(__cdecl* BitmapFillRect)(void*, int, int, int, int, unsigned long) = nullptr;
  void(__cdecl* BitmapDestroy)(void*) = nullptr;
  void(__cdecl* RenderPageBitmap)(void*, void*, int, int, int, int, int, int) = nullptr;
  int(__cdecl* GetPageCount)(void*) = nullptr;
  struct FileAccess {
    unsigned long length;
    int(__cdecl* getBlock)(void* param, unsigned long position, unsigned char* buffer, unsigned long size);
    void* param;
  };
  void*(__cdecl* LoadCustomDocument)(FileAccess*, const char*) = nullptr;
  void*(__cdecl* TextLoadPage)(void*) = nullptr;
  void(__cdecl* TextClosePage)(void*) = nullptr;
  int(__cdecl* TextCountChars)(void*) = nullptr;
  unsigned(__cdecl* TextGetUnicode)(void*, int) = nullptr;
  int(__cdecl* TextGetCharBox)(void*, int, double*, double*, double*, double*) = nullptr;
  void*(__cdecl* LoadWebLinks)(void*) = nullptr;
  int(__cdecl* CountWebLinks)(void*) = nullptr;
  void(__cdecl* CloseWebLinks)(void*) = nullptr;
  int(__cdecl* LinkEnumerate)(void*, int*, void**) = nullptr;

  template <typename F>
  bool Bind(F& f, const char* name) {
    f = reinterpret_cast<F>(GetProcAddress(module.Get(), name));
    return f != nullptr;
  }
  bool Load(const std::wstring& dll) {
    module.Reset(LoadLibraryExW(dll.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (!module) return false;
    bool ok = Bind(InitLibrary, "FPDF_InitLibrary") && Bind(LoadDocument, "FPDF_LoadDocument") &&
              Bind(CloseDocument, "FPDF_CloseDocument") && Bind(LoadPage, "FPDF_LoadPage") &&
              Bind(ClosePage, "FPDF_ClosePage") && Bind(BitmapCreate, "FPDFBitmap_Create") &&
              Bind(BitmapFillRect, "FPDFBitmap_FillRect") && Bind(BitmapDestroy, "FPDFBitmap_Destroy") &&
              Bind(RenderPageBitmap, "FPDF_RenderPageBitmap") && Bind(GetPageCount, "FPDF_GetPageCount") &&
              Bind(LoadCustomDocument, "FPDF_LoadCustomDocument") &&
              Bind(TextLoadPage, "FPDFText_LoadPage") && Bind(TextClosePage, "FPDFText_ClosePage") &&
              Bind(TextCountChars, "FPDFText_CountChars") && Bind(TextGetUnicode, "FPDFText_GetUnicode") &&
              Bind(TextGetCharBox, "FPDFText_GetCharBox") && Bind(LoadWebLinks, "FPDFLink_LoadWebLinks") &&
              Bind(CountWebLinks, "FPDFLink_CountWebLinks") && Bind(CloseWebLinks, "FPDFLink_CloseWebLinks") &&
              Bind(LinkEnumerate, "FPDFLink_Enumerate");
    if (ok) InitLibrary();
    return ok;
  }

  // Open + the given jobs, in their order, done the cheapest way: each page
  // is loaded once and kept until the end; a picture is rendered with the
  // flags the worker uses for its kind; a text read takes every
  // character's code and box and the page's links. Milliseconds, or -1.
  double OpenAndDo(const std::string& path, const std::vector<WorkerJob>& jobs) {
    const double t0 = NowMs();
    void* document = LoadDocument(path.c_str(), nullptr);
    if (!document) return -1;
    std::vector<std::pair<int, void*>> loaded;
    bool ok = true;
    for (const WorkerJob& job : jobs) {
      void* page = nullptr;
      for (const auto& entry : loaded)
        if (entry.first == job.page) page = entry.second;
      if (!page && (page = LoadPage(document, job.page)) != nullptr) loaded.push_back({job.page, page});
      if (!(ok = page != nullptr)) break;
      if (job.kind == kJobRenderPage || job.kind == kJobThumbnail) {
        void* bitmap = BitmapCreate(job.width, job.height, 0);
        if (!(ok = bitmap != nullptr)) break;
        BitmapFillRect(bitmap, 0, 0, job.width, job.height, 0xFFFFFFFFul);
        const int flags = job.kind == kJobRenderPage ? 0x01 | 0x02 : 0x01;  // FPDF_ANNOT, FPDF_LCD_TEXT
        RenderPageBitmap(bitmap, page, 0, 0, job.width, job.height, 0, flags);
        BitmapDestroy(bitmap);
      } else if (void* text = TextLoadPage(page)) {
        double sum = 0;
        const int n = TextCountChars(text);
        for (int c = 0; c < n; ++c) {
          double left = 0, right = 0, bottom = 0, top = 0;
          if (TextGetCharBox(text, c, &left, &right, &bottom, &top)) sum += right - left;
          sum += TextGetUnicode(text, c);
        }
        if (void* links = LoadWebLinks(text)) {
          sum += CountWebLinks(links);
          CloseWebLinks(links);
        }
        int at = 0;
        void* link = nullptr;
        while (LinkEnumerate(page, &at, &link)) sum += 1;
        TextClosePage(text);
        ok = sum >= 0;
      }
    }
    const double elapsed = NowMs() - t0;
    for (const auto& entry : loaded) ClosePage(entry.second);
    CloseDocument(document);
    return ok ? elapsed : -1;
  }

  // Open + first page rendered at width x height; milliseconds, or -1.
  double OpenAndRender(const std::string& path, int width, int height) {
    const double t0 = NowMs();
    void* document = LoadDocument(path.c_str(), nullptr);
    if (!document) return -1;
    void* page = LoadPage(document, 0);
    void* bitmap = page ? BitmapCreate(width, height, 0) : nullptr;
    double elapsed = -1;
    if (bitmap) {
      BitmapFillRect(bitmap, 0, 0, width, height, 0xFFFFFFFFul);
      RenderPageBitmap(bitmap, page, 0, 0, width, height, 0, 0x01 | 0x02);  // FPDF_ANNOT | FPDF_LCD_TEXT
      elapsed = NowMs() - t0;
      BitmapDestroy(bitmap);
    }
    if (page) ClosePage(page);
    CloseDocument(document);
    return elapsed;
  }

  // The program's way of giving PDFium the file: one positioned ReadFile
  // per block asked for.
  static int __cdecl ReadBlock(void* param, unsigned long position, unsigned char* buffer, unsigned long size) {
    if (size == 0) return 1;
    OVERLAPPED at{};
    at.Offset = DWORD(position);
    DWORD read = 0;
    return ReadFile(static_cast<HANDLE>(param), buffer, DWORD(size), &read, &at) && read == size ? 1 : 0;
  }

  // Every page's text (each character's code); milliseconds, or -1. With
  // `asTheProgram`, the file is read through the same callback as the
  // program's engine reads it; otherwise PDFium opens it itself.
  double ReadAllText(const std::string& path, bool asTheProgram, int& pages, long long& chars) {
    const double t0 = NowMs();
    UniqueHandle file;
    FileAccess access{};
    void* document = nullptr;
    if (asTheProgram) {
      file.Reset(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_FLAG_RANDOM_ACCESS, nullptr));
      LARGE_INTEGER size{};
      if (!file || !GetFileSizeEx(file.Get(), &size)) return -1;
      access = {static_cast<unsigned long>(size.QuadPart), ReadBlock, file.Get()};
      document = LoadCustomDocument(&access, nullptr);
    } else {
      document = LoadDocument(path.c_str(), nullptr);
    }
    if (!document) return -1;
    pages = GetPageCount(document);
    chars = 0;
    for (int i = 0; i < pages; ++i) {
      void* page = LoadPage(document, i);
      if (!page) continue;
      if (void* text = TextLoadPage(page)) {
        const int n = TextCountChars(text);
        for (int c = 0; c < n; ++c) chars += TextGetUnicode(text, c) != 0;
        TextClosePage(text);
      }
      ClosePage(page);
    }
    CloseDocument(document);
    return NowMs() - t0;
  }
};

// A private copy of the worker's engine DLL, so that the bare client has its
// own module and shares no state with the worker's engine.
bool LoadBareCopy(BarePdfium& bare, std::wstring& copy) {
  const std::wstring engineDll = EnginePathFromLog();
  if (engineDll.empty()) {
    std::printf("PDFium is not in use by the worker; nothing to compare\n");
    return false;
  }
  wchar_t exe[MAX_PATH];
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  copy = exe;
  copy = copy.substr(0, copy.find_last_of(L"\\/") + 1) + L"viewer_bench_pdfium.dll";
  if (!CopyFileW(engineDll.c_str(), copy.c_str(), FALSE)) {
    std::printf("could not copy the engine DLL (error %lu)\n", GetLastError());
    return false;
  }
  if (!bare.Load(copy)) {
    std::printf("could not load the copy of the engine DLL\n");
    return false;
  }
  return true;
}

// --- Open -> first page on screen --------------------------------------------------

struct OursRound {
  double total = -1;   // OpenDocument -> page 0 painted
  double loaded = -1;  // OpenDocument -> OnLoaded installed the document
  int width = 0, height = 0;
};

OursRound OursOpenToFirstPage(const std::wstring& path) {
  OursRound r;
  const double t0 = NowMs();
  g_traceStart = t0;
  OpenDocument(path, L"");
  bool ok = PumpUntil(
      [&] {
        if (r.loaded < 0 && g_doc.loaded) r.loaded = NowMs() - t0;
        return PositionOnScreen(0);
      },
      kStepTimeoutMs);
  if (!ok) return r;
  // The picture's arrival invalidated the view: this paints it now.
  UpdateWindow(g_app.pageView);
  GdiFlush();
  r.total = NowMs() - t0;
  PictureSize size = RequestedPictureSize(g_doc.view, 0);
  r.width = size.width;
  r.height = size.height;
  Settle();  // the neighbouring page the view asked for as well
  CloseDocument();
  Settle();
  return r;
}

double Median(std::vector<double> v) {
  if (v.empty()) return -1;
  std::sort(v.begin(), v.end());
  size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

int RunOpenBench(const std::wstring& path, int rounds) {
  BarePdfium bare;
  std::wstring copy;
  if (!LoadBareCopy(bare, copy)) return 1;
  const std::string narrowPath = Narrow(path);

  // Warm-up round: ours first, which also gives the pixel size.
  OursRound first = OursOpenToFirstPage(path);
  if (first.total < 0) {
    std::printf("the first page never reached the screen\n");
    return 1;
  }
  const int w = first.width, h = first.height;
  const double bareFirst = bare.OpenAndRender(narrowPath, w, h);

  std::vector<double> ours, oursLoaded, alone;
  for (int i = 0; i < rounds; ++i) {
    // Alternate which goes first, so neither always finds the caches warm.
    for (int k = 0; k < 2; ++k) {
      if ((i + k) % 2 == 0) {
        OursRound r = OursOpenToFirstPage(path);
        if (r.total < 0 || r.width != w || r.height != h) {
          std::printf("round %d: ours failed or changed size (%dx%d)\n", i, r.width, r.height);
          return 1;
        }
        ours.push_back(r.total);
        oursLoaded.push_back(r.loaded);
      } else {
        double t = bare.OpenAndRender(narrowPath, w, h);
        if (t < 0) {
          std::printf("round %d: PDFium alone failed\n", i);
          return 1;
        }
        alone.push_back(t);
      }
    }
  }
  if (GetEnvironmentVariableW(L"FV_BENCH_TRACE", nullptr, 0)) {
    std::printf("one more round of ours, traced:\n");
    g_trace = true;
    OursOpenToFirstPage(path);
    g_trace = false;
  }
  const double medOurs = Median(ours), medAlone = Median(alone);
  const double minOurs = *std::min_element(ours.begin(), ours.end());
  const double minAlone = *std::min_element(alone.begin(), alone.end());
  std::printf("open -> first page on screen: %s\n", narrowPath.c_str());
  std::printf("  window %dx%d, page view %dx%d, page 0 rendered at %dx%d px, %d rounds after one warm-up\n",
              kWindowWidth, kWindowHeight, g_doc.view.viewWidth, g_doc.view.viewHeight, w, h, rounds);
  std::printf("  %-34s %10s %10s %10s\n", "", "warm-up", "median", "min");
  std::printf("  %-34s %10.2f %10.2f %10.2f ms\n", "Folivex (open, layout, paint)", first.total, medOurs, minOurs);
  std::printf("  %-34s %10.2f %10.2f %10s ms\n", "  of which open until OnLoaded", first.loaded, Median(oursLoaded),
              "");
  std::printf("  %-34s %10.2f %10.2f %10.2f ms\n", "PDFium alone (open, render)", bareFirst, medAlone, minAlone);
  std::printf("  overhead: median %+.2f ms = %+.1f %%, min %+.2f ms = %+.1f %% (bound: at most +15 %%)\n",
              medOurs - medAlone, (medOurs / medAlone - 1) * 100, minOurs - minAlone, (minOurs / minAlone - 1) * 100);
  std::fflush(stdout);
  bare.module.Reset();
  DeleteFileW(copy.c_str());
  return 0;
}

// --- Memory while scrolling ----------------------------------------------------------

struct Memory {
  double privateMb = 0, workingMb = 0, peakWorkingMb = 0, peakPrivateMb = 0;
};

Memory ReadMemory() {
  PROCESS_MEMORY_COUNTERS_EX pmc = {};
  pmc.cb = sizeof(pmc);
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof(pmc));
  // The commit charge: on Windows the same as PrivateUsage, which Wine
  // leaves at 0.
  return {pmc.PagefileUsage / 1e6, pmc.WorkingSetSize / 1e6, pmc.PeakWorkingSetSize / 1e6,
          pmc.PeakPagefileUsage / 1e6};
}

void PrintMemory(const char* label, const Memory& m) {
  std::printf("  %-36s private %8.1f MB   working set %8.1f MB\n", label, m.privateMb, m.workingMb);
}

int RunMemoryBench(const std::wstring& path) {
  Settle();
  PumpFor(500);
  const Memory baseline = ReadMemory();

  const double t0 = NowMs();
  OpenDocument(path, L"");
  if (!PumpUntil([] { return PositionOnScreen(0); }, kStepTimeoutMs)) {
    std::printf("the document did not open\n");
    return 1;
  }
  const int pages = g_doc.view.PageCount();
  double peakPrivate = 0, peakWorking = 0;
  uint64_t peakCachePixels = 0;
  size_t peakCacheCount = 0;
  int steps = 0, lastPageSeen = 0;
  for (;;) {
    if (!PumpUntil(VisiblePagesOnScreen, kStepTimeoutMs)) {
      std::printf("step %d: the visible pages never arrived\n", steps);
      return 1;
    }
    UpdateWindow(g_app.pageView);
    const Memory m = ReadMemory();
    peakPrivate = std::max(peakPrivate, m.privateMb);
    peakWorking = std::max(peakWorking, m.workingMb);
    peakCachePixels = std::max(peakCachePixels, g_doc.pictures.TotalPixels());
    peakCacheCount = std::max(peakCacheCount, g_doc.pictures.Count());
    lastPageSeen = std::max(lastPageSeen, VisiblePages(g_doc.view).end - 1);
    ViewLayout& v = g_doc.view;
    if (v.scrollY + v.viewHeight >= v.contentHeight) break;
    ScrollBy(v, 0, v.viewHeight);
    PageViewLayoutChanged();
    ++steps;
  }
  const double scrollMs = NowMs() - t0;
  const Memory atEnd = ReadMemory();
  const uint64_t cacheAtEnd = g_doc.pictures.TotalPixels();

  Settle();
  CloseDocument();
  Settle();
  PumpFor(2000);
  const Memory afterClose = ReadMemory();
  PumpFor(3000);
  const Memory afterWait = ReadMemory();

  std::printf("memory while scrolling: %s\n", Narrow(path).c_str());
  std::printf("  %d pages, %d screens of %d px (page view %dx%d, fit width), last page seen %d, %.1f s\n", pages,
              steps + 1, g_doc.view.viewHeight, g_doc.view.viewWidth, g_doc.view.viewHeight, lastPageSeen + 1,
              scrollMs / 1000);
  PrintMemory("baseline (window up, no document)", baseline);
  std::printf("  %-36s private %8.1f MB   working set %8.1f MB  (highest sampled after each step)\n",
              "peak while scrolling", peakPrivate, peakWorking);
  std::printf("  %-36s private %8.1f MB   working set %8.1f MB  (process peaks as the system counts them)\n",
              "process peak counters", atEnd.peakPrivateMb, atEnd.peakWorkingMb);
  PrintMemory("at the last page", atEnd);
  PrintMemory("2 s after closing", afterClose);
  PrintMemory("5 s after closing", afterWait);
  std::printf("  picture cache: peak %.1f Mpx in %zu pictures (%.1f MB of pixels), %.1f Mpx at the end;\n",
              peakCachePixels / 1e6, peakCacheCount, peakCachePixels * 4 / 1e6, cacheAtEnd / 1e6);
  std::printf("  bound 60.0 Mpx beyond the visible pages = 240.0 MB of pixels; process bound 350 MB\n");
  std::printf("  peak private - baseline: %+.1f MB; after close - baseline: %+.1f MB\n",
              peakPrivate - baseline.privateMb, afterWait.privateMb - baseline.privateMb);
  std::fflush(stdout);
  return 0;
}


// --- The page panel --------------------------------------------------------------

// Every slot the panel shows has its thumbnail at the slot's size.
bool PanelThumbnailsCurrent() {
  if (!g_doc.loaded) return false;
  const std::vector<int> visible = PagePanelVisiblePositions();
  if (visible.empty()) return false;
  const PagePanelNumbers panel = PagePanelState();
  for (int p : visible) {
    const ThumbSlot& slot = panel.slots[size_t(p)];
    if (!g_doc.thumbnails.IsCurrent(g_doc.pages.order[size_t(p)], g_doc.view.rotation, slot.width, slot.height))
      return false;
  }
  return true;
}

struct PanelRound {
  double total = -1;
  std::vector<int> pages;             // shown in the panel
  std::vector<WorkerJob> thumbnails;  // theirs, at the slots' sizes
  std::vector<WorkerJob> jobs;        // whose results the windows took in meanwhile
};

PanelRound OursOpenToThumbnails(const std::wstring& path) {
  PanelRound r;
  const double t0 = NowMs();
  g_jobsSeen = &r.jobs;
  OpenDocument(path, L"");
  const bool arrived = PumpUntil(PanelThumbnailsCurrent, kStepTimeoutMs);
  g_jobsSeen = nullptr;
  if (!arrived) return r;
  UpdateWindow(PagePanelWindow());
  GdiFlush();
  r.total = NowMs() - t0;
  const PagePanelNumbers panel = PagePanelState();
  for (int p : PagePanelVisiblePositions()) {
    r.pages.push_back(g_doc.pages.order[size_t(p)]);
    r.thumbnails.push_back({kJobThumbnail, r.pages.back(), panel.slots[size_t(p)].width, panel.slots[size_t(p)].height});
  }
  Settle();
  CloseDocument();
  Settle();
  return r;
}

// The jobs as a line: "picture 1, thumbnail 1, text 1, ..." (page numbers
// from 1).
std::string JobLine(const std::vector<WorkerJob>& jobs) {
  std::string line;
  for (const WorkerJob& job : jobs) {
    const char* what = job.kind == kJobRenderPage ? "picture" : job.kind == kJobThumbnail ? "thumbnail" : "text";
    if (!line.empty()) line += ", ";
    line += what + std::string(" ") + std::to_string(job.page + 1);
  }
  return line;
}

int RunPanelBench(const std::wstring& path, int rounds) {
  BarePdfium bare;
  std::wstring copy;
  if (!LoadBareCopy(bare, copy)) return 1;
  const std::string narrowPath = Narrow(path);
  const PanelRound first = OursOpenToThumbnails(path);
  if (first.total < 0) {
    std::printf("the panel's thumbnails never all arrived\n");
    return 1;
  }
  const double bareFirst = bare.OpenAndDo(narrowPath, first.thumbnails);
  const double replayFirst = bare.OpenAndDo(narrowPath, first.jobs);
  if (GetEnvironmentVariableW(L"FV_BENCH_TRACE", nullptr, 0)) {
    LogEvent(L"bench: traced round");
    g_trace = true;
    g_traceStart = NowMs();
    OursOpenToThumbnails(path);
    g_trace = false;
    std::wstring log;
    ReadEventLog(log);
    std::printf("%ls\n", log.substr(log.rfind(L"bench: traced round")).c_str());
  }
  // Each of our rounds is followed by PDFium alone doing the jobs the worker
  // did in it; PDFium alone rendering just the thumbnails goes before or
  // after, in turn.
  struct Paired {
    double ours, replay;
    std::vector<WorkerJob> jobs;
  };
  std::vector<Paired> paired;
  std::vector<double> alone;
  for (int i = 0; i < rounds; ++i) {
    for (int k = 0; k < 2; ++k) {
      if ((i + k) % 2 == 0) {
        PanelRound r = OursOpenToThumbnails(path);
        if (r.total < 0 || r.pages != first.pages) {
          std::printf("round %d: ours failed or showed other slots\n", i);
          return 1;
        }
        const double replay = bare.OpenAndDo(narrowPath, r.jobs);
        if (replay < 0) {
          std::printf("round %d: PDFium alone failed the worker's jobs\n", i);
          return 1;
        }
        paired.push_back({r.total, replay, std::move(r.jobs)});
      } else {
        const double t = bare.OpenAndDo(narrowPath, first.thumbnails);
        if (t < 0) {
          std::printf("round %d: PDFium alone failed\n", i);
          return 1;
        }
        alone.push_back(t);
      }
    }
  }
  std::vector<double> ours, replays, ratios;
  for (const Paired& p : paired) {
    ours.push_back(p.ours);
    replays.push_back(p.replay);
    ratios.push_back(p.ours / p.replay);
  }
  const double medOurs = Median(ours), medAlone = Median(alone);
  std::printf("open -> every visible thumbnail painted, page panel shown: %s\n", narrowPath.c_str());
  std::printf("  window %dx%d, %zu slots visible, first %dx%d px, %d rounds after one warm-up\n", kWindowWidth,
              kWindowHeight, first.pages.size(), first.thumbnails[0].width, first.thumbnails[0].height, rounds);
  std::printf("  %-44s %10s %10s %10s\n", "", "warm-up", "median", "min");
  std::printf("  %-44s %10.2f %10.2f %10.2f ms\n", "Folivex (open, page view, panel thumbnails)", first.total,
              medOurs, *std::min_element(ours.begin(), ours.end()));
  std::printf("  %-44s %10.2f %10.2f %10.2f ms\n", "PDFium alone (open, render those thumbnails)", bareFirst,
              medAlone, *std::min_element(alone.begin(), alone.end()));
  std::printf("  %-44s %10.2f %10.2f %10.2f ms\n", "PDFium alone doing the worker's jobs", replayFirst,
              Median(replays), *std::min_element(replays.begin(), replays.end()));
  std::printf("  ratio: median %.2fx (bound: at most 1.5x); PDFium alone doing the worker's jobs against\n"
              "  rendering the thumbnails: %.2fx; Folivex against PDFium doing the same jobs, per round: median %.2fx\n",
              medOurs / medAlone, Median(replays) / medAlone, Median(ratios));
  // The jobs of the round whose time was the median.
  const Paired* middle = &paired[0];
  for (const Paired& p : paired)
    if (std::fabs(p.ours - medOurs) < std::fabs(middle->ours - medOurs)) middle = &p;
  std::printf("  the worker's jobs in the median round, in order: %s\n", JobLine(middle->jobs).c_str());
  return 0;
}

// --- Find ------------------------------------------------------------------------------

// Opens the document and waits until its first page is on screen and the
// worker has done what the windows asked for (the page panel may ask for
// more thumbnails as it catches up, hence twice).
bool OpenAndShow(const std::wstring& path) {
  OpenDocument(path, L"");
  if (!PumpUntil([] { return PositionOnScreen(0); }, kStepTimeoutMs)) {
    std::printf("the first page never reached the screen\n");
    return false;
  }
  UpdateWindow(g_app.pageView);
  Settle();
  Settle();
  return true;
}

bool AllPagesRead() { return PagesRead(g_doc.text, g_doc.pages.order) == g_doc.pages.PageCount(); }

void TypeQuery(const wchar_t* text) { SetWindowTextW(FindBarEdit(), text); }

double Percentile(std::vector<double> v, double q) {
  if (v.empty()) return -1;
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, size_t(q * double(v.size() - 1) + 0.5))];
}

struct ScrollPass {
  std::vector<double> steps;  // scroll and paint, ms
  double longestMessage = 0;  // any message dispatched meanwhile, ms
  int pagesReadAtEnd = 0;
};

// 150 steps of 40 pixels, one every 16 ms, messages handled in between.
ScrollPass Scroll() {
  ScrollPass pass;
  for (int i = 0; i < 150; ++i) {
    const double t0 = NowMs();
    PageViewScrollBy(0, 40);
    UpdateWindow(g_app.pageView);
    GdiFlush();
    pass.steps.push_back(NowMs() - t0);
    const ULONGLONG until = GetTickCount64() + 16;
    while (GetTickCount64() < until) {
      MSG msg;
      if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        const double m0 = NowMs();
        Dispatch(msg);
        pass.longestMessage = std::max(pass.longestMessage, NowMs() - m0);
      } else {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 2, QS_ALLINPUT);
      }
    }
  }
  pass.pagesReadAtEnd = PagesRead(g_doc.text, g_doc.pages.order);
  return pass;
}

void PrintPass(const char* label, const ScrollPass& p) {
  std::printf("  %-38s %8.2f %8.2f %8.2f %10.2f ms  (%d pages read by the end)\n", label, Median(p.steps),
              Percentile(p.steps, 0.95), *std::max_element(p.steps.begin(), p.steps.end()), p.longestMessage,
              p.pagesReadAtEnd);
}

int RunFindBench(const std::wstring& path, int rounds) {
  const std::string narrowPath = Narrow(path);
  BarePdfium bare;
  std::wstring copy;
  if (!LoadBareCopy(bare, copy)) return 1;

  // (1) Indexing, each round followed by PDFium alone reading the same
  // pages (once the worker has nothing left to do), so that both meet the
  // same load of the machine.
  std::vector<double> ours, oursUi, alone, aloneOwnFile;
  int pages = 0;
  long long chars = 0;
  for (int i = 0; i < rounds; ++i) {
    if (!OpenAndShow(path)) {
      std::printf("the document did not open\n");
      return 1;
    }
    const double t0 = NowMs();
    g_dispatchMs = 0;
    if (GetEnvironmentVariableW(L"FV_BENCH_READ_ONLY", nullptr, 0)) {
      // The reads alone, without a search: what the worker and the messages cost.
      for (int page : g_doc.pages.order) RequestPageText(page, false);
    } else {
      OpenFind();
      TypeQuery(L"qwertz");
    }
    if (!PumpUntil(AllPagesRead, kStepTimeoutMs * 5)) {
      std::printf("round %d: the pages were never all read\n", i);
      return 1;
    }
    ours.push_back(NowMs() - t0);
    oursUi.push_back(g_dispatchMs);
    CloseFind();
    CloseDocument();
    Settle();
    if (i == 0) bare.ReadAllText(narrowPath, true, pages, chars);  // warm-up
    alone.push_back(bare.ReadAllText(narrowPath, true, pages, chars));
    aloneOwnFile.push_back(bare.ReadAllText(narrowPath, false, pages, chars));
  }

  // (2) Scrolling with and without indexing going on.
  if (!OpenAndShow(path)) return 1;
  const ScrollPass quiet = Scroll();
  CloseDocument();
  Settle();
  if (!OpenAndShow(path)) return 1;
  OpenFind();
  TypeQuery(L"qwertz");
  const ScrollPass busy = Scroll();
  PumpUntil(AllPagesRead, kStepTimeoutMs * 5);

  // (3) Typing "status" into the indexed document, at its first page.
  std::vector<double> typing;
  const wchar_t* prefixes[] = {L"s", L"st", L"sta", L"stat", L"statu"};
  for (int i = 0; i < std::max(rounds * 4, 20); ++i) {
    PageViewGoToPosition(0);
    TypeQuery(L"");
    for (const wchar_t* prefix : prefixes) {
      TypeQuery(prefix);
      PumpFor(20);
    }
    UpdateWindow(g_app.pageView);
    const double t0 = NowMs();
    TypeQuery(L"status");
    if (!PumpUntil([] { return g_doc.find.current >= 0 && !g_doc.find.scrollToMatchPending; }, kStepTimeoutMs)) {
      std::printf("typing round %d: no match was shown\n", i);
      return 1;
    }
    UpdateWindow(g_app.pageView);
    GdiFlush();
    typing.push_back(NowMs() - t0);
  }
  const size_t matches = g_doc.find.matches.size();
  CloseFind();
  CloseDocument();
  Settle();


  std::printf("find: %s, %d pages, %lld characters\n", narrowPath.c_str(), pages, chars);
  std::printf("  (1) indexing every page, %d rounds          %10s %10s\n", rounds, "median", "min");
  std::printf("  %-44s %10.1f %10.1f ms\n", "Folivex, background reads into the index", Median(ours),
              *std::min_element(ours.begin(), ours.end()));
  std::printf("  %-44s %10.1f %10.1f ms\n", "  of which the UI thread handled messages", Median(oursUi),
              *std::min_element(oursUi.begin(), oursUi.end()));
  std::printf("  %-44s %10.1f %10.1f ms\n", "PDFium alone, the same characters", Median(alone),
              *std::min_element(alone.begin(), alone.end()));
  std::printf("  %-44s %10.1f %10.1f ms\n", "  the same, PDFium opening the file itself", Median(aloneOwnFile),
              *std::min_element(aloneOwnFile.begin(), aloneOwnFile.end()));
  std::printf("  ratio: median %.2fx, min %.2fx (bound: at most 1.2x)\n", Median(ours) / Median(alone),
              *std::min_element(ours.begin(), ours.end()) / *std::min_element(alone.begin(), alone.end()));
  std::printf("  (2) scrolling, 150 steps of 40 px          median      95%%      max  longest msg\n");
  PrintPass("without indexing", quiet);
  PrintPass("while indexing", busy);
  std::printf("  (3) typing \"status\" (%zu matches), last keystroke -> first match on screen, %zu rounds:\n",
              matches, typing.size());
  std::printf("      median %.2f ms, 95%% %.2f ms, max %.2f ms (bound: median within 50 ms)\n", Median(typing),
              Percentile(typing, 0.95), *std::max_element(typing.begin(), typing.end()));
  std::fflush(stdout);
  bare.module.Reset();
  DeleteFileW(copy.c_str());
  return 0;
}

// Thumbnails the worker delivered since the log line `marker`; -1 when the
// log no longer reaches back to it.
int ThumbnailsSince(const std::wstring& marker) {
  std::wstring log;
  ReadEventLog(log);
  const size_t at = log.rfind(marker);
  if (at == std::wstring::npos) return -1;
  int n = 0;
  for (size_t i = log.find(L"OnThumb page=", at); i != std::wstring::npos; i = log.find(L"OnThumb page=", i + 1)) ++n;
  return n;
}

int RunFlingBench(const std::wstring& path, bool panelShown) {
  OpenDocument(path, L"");
  auto firstScreen = [&] { return VisiblePagesOnScreen() && (!panelShown || PanelThumbnailsCurrent()); };
  if (!PumpUntil(firstScreen, kStepTimeoutMs)) {
    std::printf("the document did not open\n");
    return 1;
  }
  Settle();
  const Memory before = ReadMemory();
  // The log keeps its newest lines only: the thumbnails are counted after
  // every step, each step behind a marker of its own.
  int rendered = 0;
  std::wstring marker = L"bench: fling step 0.";
  LogEvent(L"%ls", marker.c_str());
  auto count = [&](int step) {
    const int n = ThumbnailsSince(marker);
    if (n < 0 || rendered < 0) {
      rendered = -1;
    } else {
      rendered += n;
    }
    marker = L"bench: fling step " + std::to_wstring(step) + L".";
    LogEvent(L"%ls", marker.c_str());
  };
  constexpr int kSteps = 100;
  HWND panel = PagePanelWindow();
  const double t0 = NowMs();
  double peakPrivate = before.privateMb;
  for (int step = 1; step <= kSteps; ++step) {
    // The wheel scrolls the panel by 110 pixels (at 96 DPI) a notch; the
    // last step goes past the end, which the panel clamps.
    const PagePanelNumbers n = PagePanelState();
    const int target = step == kSteps ? n.range : int(int64_t(std::max(0, n.range - n.height)) * step / kSteps);
    const int notches = std::clamp((target - n.scroll) / std::max(1, MulDiv(110, g_ui.dpi, 96)), 1, 270);
    SendMessageW(panel, WM_MOUSEWHEEL, MAKEWPARAM(0, -120 * notches), 0);
    UpdateWindow(panel);
    PumpFor(16);  // one frame
    peakPrivate = std::max(peakPrivate, ReadMemory().privateMb);
    count(step);
  }
  const double flingMs = NowMs() - t0;
  if (!PumpUntil(firstScreen, kStepTimeoutMs)) {
    std::printf("the last screen never arrived\n");
    return 1;
  }
  Settle();
  const Memory atEnd = ReadMemory();
  peakPrivate = std::max(peakPrivate, atEnd.privateMb);
  count(kSteps + 1);
  const size_t lastScreen = PagePanelVisiblePositions().size();
  const PagePanelNumbers end = PagePanelState();
  std::printf("page panel %s, flung through %s: %d pages, %d steps in %.0f ms to scroll %d of %d, then settled\n",
              panelShown ? "shown" : "hidden", Narrow(path).c_str(), g_doc.view.PageCount(), kSteps, flingMs,
              end.scroll, end.range);
  if (panelShown)
    std::printf("  thumbnails rendered during and after the fling: %d; slots on the last screen: %zu\n", rendered,
                lastScreen);
  std::printf("  private memory: %.1f MB before, peak %.1f MB (%+.1f MB), process peak counter %.1f MB\n",
              before.privateMb, peakPrivate, peakPrivate - before.privateMb, atEnd.peakPrivateMb);
  std::fflush(stdout);
  CloseDocument();
  Settle();
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring mode = argc >= 3 ? argv[1] : L"";
  if (mode != L"open" && mode != L"memory" && mode != L"panel" && mode != L"fling" && mode != L"find") {
    std::printf("usage: viewer_bench open|panel|find PDF [ROUNDS] | viewer_bench memory PDF | "
                "viewer_bench fling PDF shown|hidden\n");
    return 2;
  }
  wchar_t full[MAX_PATH];
  if (!GetFullPathNameW(argv[2], MAX_PATH, full, nullptr) || GetFileAttributesW(full) == INVALID_FILE_ATTRIBUTES) {
    std::printf("no such file\n");
    return 2;
  }
  const std::vector<SavedValue> saved = SaveSettingValues();
  const bool panelShown = !(mode == L"fling" && argc > 3 && std::wstring(argv[3]) == L"hidden");
  g_settings.PagePanel = panelShown ? 1 : 0;
  if (!StartProgram()) {
    std::printf("the main window could not be set up\n");
    RestoreSettingValues(saved);
    return 1;
  }
  const int rounds = argc > 3 ? std::max(1, _wtoi(argv[3])) : 10;
  int rc = mode == L"open"    ? RunOpenBench(full, rounds)
           : mode == L"panel" ? RunPanelBench(full, rounds)
           : mode == L"find"  ? RunFindBench(full, rounds)
           : mode == L"fling" ? RunFlingBench(full, panelShown)
                              : RunMemoryBench(full);
  StopRenderWorker();
  RestoreSettingValues(saved);
  return rc;
}
