// Helpers of the render worker tests: a scripted engine, a window that
// receives what the worker posts, message pumping and GDI object counting.
#pragma once
#include <windows.h>
#include <winternl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "base/handles.h"
#include "engine/render_worker.h"
#include "tests/engine/engine_test_support.h"

namespace worker_test {

// The number of GDI objects of this process. Wine does not implement
// GetGuiResources; there the GDI handle table the process shares with
// gdi32 is counted instead (an entry with a type is a live object).
inline size_t GdiObjectCount() {
  SetLastError(0);
  DWORD n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  if (n != 0 || GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return n;
  struct Entry {
    uint64_t object;
    uint32_t owner;
    uint16_t unique;
    uint8_t type;
    uint8_t flags;
    uint64_t user;
  };
  static_assert(sizeof(Entry) == 24);
  using QueryFn = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
  auto query = reinterpret_cast<QueryFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
  PROCESS_BASIC_INFORMATION basic = {};
  if (!query || query(GetCurrentProcess(), 0 /* ProcessBasicInformation */, &basic, sizeof(basic), nullptr) != 0)
    return 0;
  const uint8_t* peb = reinterpret_cast<const uint8_t*>(basic.PebBaseAddress);
  const Entry* table = *reinterpret_cast<const Entry* const*>(peb + 0xF8);  // GdiSharedHandleTable
  if (!table) return 0;
  size_t live = 0;
  for (size_t i = 0; i < 0x10000; ++i)
    if (table[i].type) ++live;
  return live;
}

// Runs the thread's messages until `done` holds or the time is up.
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000) {
  ULONGLONG end = GetTickCount64() + timeoutMs;
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (done()) return true;
    if (GetTickCount64() >= end) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}

// A top-level hidden window that hands every message to a function.
class TestWindow {
 public:
  using Handler = std::function<bool(UINT, WPARAM, LPARAM)>;
  explicit TestWindow(Handler handler) : handler_(std::move(handler)) {
    static ATOM atom = [] {
      WNDCLASSEXW wc = {sizeof(wc)};
      wc.lpfnWndProc = Proc;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.lpszClassName = L"FvWorkerTestWindow";
      return RegisterClassExW(&wc);
    }();
    (void)atom;
    window_ = CreateWindowExW(0, L"FvWorkerTestWindow", L"test", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                              nullptr, GetModuleHandleW(nullptr), this);
  }
  ~TestWindow() {
    if (window_) DestroyWindow(window_);
  }
  HWND Handle() const { return window_; }

  // Runs `action` from inside the window's message handling (so during a
  // message-dispatching wait as well).
  void Poke(std::function<void()> action) {
    pokes_.push_back(std::move(action));
    PostMessageW(window_, kPoke, 0, 0);
  }

 private:
  static constexpr UINT kPoke = WM_APP + 50;
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE)
      SetWindowLongPtrW(window, GWLP_USERDATA,
                        LONG_PTR(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    auto* self = reinterpret_cast<TestWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && message == kPoke && !self->pokes_.empty()) {
      auto action = std::move(self->pokes_.front());
      self->pokes_.erase(self->pokes_.begin());
      action();
      return 0;
    }
    if (self && self->handler_ && self->handler_(message, wParam, lParam)) return 0;
    return DefWindowProcW(window, message, wParam, lParam);
  }

  Handler handler_;
  HWND window_ = nullptr;
  std::vector<std::function<void()>> pokes_;
};

// An engine that follows a script: every page exists at 100 x 150, renders
// are small DIB sections, and a gate can hold the worker inside a call.
class FakeEngine final : public PdfEngine {
 public:
  struct Call {
    char what;  // 'o' open, 'r' render, 't' text, 'p' probe, 'a' add, 'c' close
    int page;
    int width;
    int height;
    int rotation;
    bool lcdText;
  };

  bool ready = true;
  HRESULT openHr = S_OK;
  int pages = 20;

  // Calls of this kind ('o' or 'r') on this page (-1 for an open) wait for
  // Release(); entered() is set when one starts waiting.
  void HoldAt(char what, int page) {
    holdWhat_ = what;
    holdPage_ = page;
    ResetEvent(gate_.Get());
  }
  void Release() { SetEvent(gate_.Get()); }
  bool WaitEntered(DWORD ms = 5000) { return WaitForSingleObject(entered_.Get(), ms) == WAIT_OBJECT_0; }

  std::vector<Call> Calls() {
    std::lock_guard<std::mutex> hold(mutex_);
    return calls_;
  }

  bool Ready() const override { return ready; }
  HRESULT Open(const std::wstring& path, const std::wstring& password, PageSizes& sizes) override {
    Record({'o', -1, 0, 0, 0, false});
    MaybeHold('o', -1);
    if (FAILED(openHr)) return openHr;
    open_ = true;
    for (int i = 0; i < pages; ++i) sizes.Append(100.0f, 150.0f);
    return S_OK;
  }
  HRESULT Probe(const std::wstring& path, const std::wstring& password, PageSizes& sizes) override {
    Record({'p', -1, 0, 0, 0, false});
    sizes.Append(612.0f, 792.0f);
    return S_OK;
  }
  HRESULT Render(int page, int width, int height, int rotation, bool lcdText, RenderedPage& out) override {
    Record({'r', page, width, height, rotation, lcdText});
    MaybeHold('r', page);
    if (!open_ || page < 0 || page >= pages + broughtIn_) return E_INVALIDARG;
    bool odd = rotation & 1;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = odd ? height : width;
    info.bmiHeader.biHeight = -(odd ? width : height);
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    out.bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &out.bits, nullptr, 0);
    if (!out.bitmap) return E_OUTOFMEMORY;
    out.page = page;
    out.width = odd ? height : width;
    out.height = odd ? width : height;
    out.rotation = rotation;
    return S_OK;
  }
  bool ReadPageText(int page, PageText& text) override {
    Record({'t', page, 0, 0, 0, false});
    if (!open_) return false;
    text.chars = L"page " + std::to_wstring(page);
    text.boxes.assign(text.chars.size(), 1);
    text.links.push_back({1, 0, L""});
    text.links.push_back({2, -1, L"https://example.org/"});
    return true;
  }
  std::vector<BookmarkEntry> ReadBookmarks() override { return {{L"Start", 0, 0}}; }
  bool AddBroughtInPages(const std::vector<BroughtInRequest>& requests, PageSizes& added) override {
    Record({'a', int(requests.size()), 0, 0, 0, false});
    if (!open_) return false;
    for (size_t i = 0; i < requests.size(); ++i) added.Append(200.0f, 300.0f);
    broughtIn_ += int(requests.size());
    return true;
  }
  void Close() override {
    Record({'c', -1, 0, 0, 0, false});
    open_ = false;
    broughtIn_ = 0;
  }
  void Idle() override { ++idles; }
  std::atomic<int> idles{0};  // times the worker said it had nothing to do

 private:
  void Record(const Call& call) {
    std::lock_guard<std::mutex> hold(mutex_);
    calls_.push_back(call);
  }
  void MaybeHold(char what, int page) {
    if (what == holdWhat_.load() && page == holdPage_.load() && WaitForSingleObject(gate_.Get(), 0) != WAIT_OBJECT_0) {
      SetEvent(entered_.Get());
      WaitForSingleObject(gate_.Get(), INFINITE);
    }
  }

  std::mutex mutex_;
  std::vector<Call> calls_;
  UniqueHandle gate_{CreateEventW(nullptr, TRUE, TRUE, nullptr)};      // open unless held
  UniqueHandle entered_{CreateEventW(nullptr, FALSE, FALSE, nullptr)};  // a call started waiting
  std::atomic<char> holdWhat_{0};
  std::atomic<int> holdPage_{-100};
  bool open_ = false;  // worker thread only
  int broughtIn_ = 0;
};

// The worker's engines for tests: a scripted PDFium stand-in and an
// unavailable Windows engine (as under Wine).
class FakeEngines final : public WorkerEngines {
 public:
  // The flags outlive the engines (the worker drops them when it ends).
  FakeEngines(FakeEngine* pdfium, FakeEngine* windows, std::atomic<bool>* started, std::atomic<bool>* stopped)
      : pdfium_(pdfium), windows_(windows), started_(started), stopped_(stopped) {}
  void Start() override { *started_ = true; }
  void Stop() override { *stopped_ = true; }
  PdfEngine& Pdfium() override { return *pdfium_; }
  PdfEngine& Windows() override { return *windows_; }
  std::wstring StatusText() const override { return L"C:\\data\\pdfium-test.dll"; }

 private:
  FakeEngine* pdfium_;
  FakeEngine* windows_;
  std::atomic<bool>* started_;
  std::atomic<bool>* stopped_;
};

using engine_test::SourcePath;

}  // namespace worker_test
