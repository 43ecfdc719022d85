#include "share/text_message.h"

#include <windows.h>

#include <objbase.h>
#include <oleauto.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "base/handles.h"
#include "share/mail_rules.h"
#include "share/phone_link_flow.h"

namespace {

// ---- Quenlo ----

// Waits for an overlapped operation; on time-out cancels it and waits for
// the cancellation, so the buffer it writes into outlives it.
bool FinishIo(HANDLE pipe, OVERLAPPED& io, DWORD timeoutMs, DWORD& transferred) {
  transferred = 0;
  if (WaitForSingleObject(io.hEvent, timeoutMs) != WAIT_OBJECT_0) {
    CancelIoEx(pipe, &io);
    GetOverlappedResult(pipe, &io, &transferred, TRUE);
    return false;
  }
  return GetOverlappedResult(pipe, &io, &transferred, FALSE) != FALSE;
}

std::wstring WideFromUtf8(const char* bytes, int count) {
  if (count <= 0) return std::wstring();
  const int length = MultiByteToWideChar(CP_UTF8, 0, bytes, count, nullptr, 0);
  std::wstring text(size_t(length > 0 ? length : 0), L'\0');
  if (length > 0) MultiByteToWideChar(CP_UTF8, 0, bytes, count, text.data(), length);
  return text;
}

}  // namespace

// ---- Phone Link through UI Automation ----
// The client interfaces of UI Automation, declared here slot by slot (our
// compiler's headers don't have them). Only the slots used are named. They
// stay out of the unnamed namespace: there, with no class of this file
// implementing them, the compiler concludes that no object can have them
// and drops every call through them as unreachable.
namespace uia {

struct IUiaCondition : IUnknown {};

struct IUiaElementArray : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_Length(int* length) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetElement(int index, struct IUiaElement** element) = 0;
};

struct IUiaElement : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE SetFocus() = 0;
  virtual HRESULT STDMETHODCALLTYPE GetRuntimeId(void**) = 0;
  virtual HRESULT STDMETHODCALLTYPE FindFirst(int, IUiaCondition*, IUiaElement**) = 0;
  virtual HRESULT STDMETHODCALLTYPE FindAll(int scope, IUiaCondition* condition, IUiaElementArray** found) = 0;
  virtual HRESULT STDMETHODCALLTYPE FindFirstBuildCache(int, IUiaCondition*, void*, IUiaElement**) = 0;
  virtual HRESULT STDMETHODCALLTYPE FindAllBuildCache(int, IUiaCondition*, void*, IUiaElementArray**) = 0;
  virtual HRESULT STDMETHODCALLTYPE BuildUpdatedCache(void*, IUiaElement**) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetCurrentPropertyValue(int property, VARIANT* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetCurrentPropertyValueEx(int, BOOL, VARIANT*) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetCachedPropertyValue(int, VARIANT*) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetCachedPropertyValueEx(int, BOOL, VARIANT*) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetCurrentPatternAs(int pattern, REFIID iid, void** object) = 0;
};

struct IUiaAutomation : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE CompareElements(IUiaElement* a, IUiaElement* b, BOOL* same) = 0;
  virtual HRESULT STDMETHODCALLTYPE CompareRuntimeIds(void*, void*, BOOL*) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetRootElement(IUiaElement**) = 0;
  virtual HRESULT STDMETHODCALLTYPE ElementFromHandle(HWND window, IUiaElement** element) = 0;
  virtual HRESULT STDMETHODCALLTYPE ElementFromPoint(POINT, IUiaElement**) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetFocusedElement(IUiaElement** element) = 0;
  virtual HRESULT STDMETHODCALLTYPE s9() = 0;
  virtual HRESULT STDMETHODCALLTYPE s10() = 0;
  virtual HRESULT STDMETHODCALLTYPE s11() = 0;
  virtual HRESULT STDMETHODCALLTYPE s12() = 0;
  virtual HRESULT STDMETHODCALLTYPE s13() = 0;
  virtual HRESULT STDMETHODCALLTYPE s14() = 0;
  virtual HRESULT STDMETHODCALLTYPE s15() = 0;
  virtual HRESULT STDMETHODCALLTYPE s16() = 0;
  virtual HRESULT STDMETHODCALLTYPE s17() = 0;
  virtual HRESULT STDMETHODCALLTYPE s18() = 0;
  virtual HRESULT STDMETHODCALLTYPE s19() = 0;
  virtual HRESULT STDMETHODCALLTYPE s20() = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateTrueCondition(IUiaCondition** condition) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateFalseCondition(IUiaCondition**) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreatePropertyCondition(int property, VARIANT value, IUiaCondition** condition) = 0;
};

// The single-method pattern interfaces: Invoke and Select sit in slot 3.
struct IUiaAction : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Act() = 0;
};

}  // namespace uia

namespace {

using namespace uia;

constexpr CLSID kClsidAutomation = {0xff48dba4, 0x60ef, 0x4201, {0xaa, 0x87, 0x54, 0x10, 0x3e, 0xef, 0x59, 0x4e}};
constexpr IID kIidAutomation = {0x30cbe57d, 0xd9d0, 0x452a, {0xab, 0x13, 0x7a, 0xc5, 0xac, 0x48, 0x25, 0xee}};
constexpr IID kIidInvoke = {0xfb377fbe, 0x8ea6, 0x46d5, {0x9c, 0x73, 0x64, 0x99, 0x64, 0x2d, 0x30, 0x59}};
constexpr IID kIidSelectionItem = {0xa8efa66a, 0x0fda, 0x421a, {0x91, 0x94, 0x38, 0x02, 0x1f, 0x35, 0x78, 0xea}};

constexpr int kScopeDescendants = 4;
constexpr int kInvokePattern = 10000, kSelectionItemPattern = 10010;
constexpr int kBoundsProperty = 30001, kProcessProperty = 30002, kControlTypeProperty = 30003, kNameProperty = 30005,
              kOffscreenProperty = 30022, kValueProperty = 30045;
constexpr int kButtonType = 50000, kComboBoxType = 50003, kEditType = 50004;

template <typename T>
void Release(T*& p) {
  if (p) p->Release();
  p = nullptr;
}

class UiaPhoneLink : public PhoneLinkUi {
 public:
  ~UiaPhoneLink() override {
    for (IUiaElement*& e : elements_) Release(e);
    Release(root_);
    Release(automation_);
  }

  bool Available() override {
    using SetContext = DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT);
    if (auto set = reinterpret_cast<SetContext>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetThreadDpiAwarenessContext"))))
      set(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    return SUCCEEDED(CoCreateInstance(kClsidAutomation, nullptr, CLSCTX_INPROC_SERVER, kIidAutomation,
                                      reinterpret_cast<void**>(&automation_))) &&
           automation_;
  }

  bool FindWindow() override {
    window_ = nullptr;
    EnumWindows(
        [](HWND w, LPARAM self) -> BOOL {
          wchar_t title[128] = {};
          if (!IsWindowVisible(w) || !GetWindowTextW(w, title, 128) || wcscmp(title, L"Phone Link") != 0) return TRUE;
          reinterpret_cast<UiaPhoneLink*>(self)->window_ = w;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(this));
    return window_ != nullptr;
  }

  void Launch() override {
    ShellExecuteW(nullptr, L"open", L"shell:AppsFolder\\Microsoft.YourPhone_8wekyb3d8bbwe!App", nullptr, nullptr,
                  SW_SHOWNORMAL);
  }
  void Wait(int milliseconds) override { Sleep(DWORD(milliseconds)); }

  void BringToFront() override {
    GetWindowThreadProcessId(window_, &process_);
    if (IsIconic(window_)) ShowWindow(window_, SW_RESTORE);
    SetForegroundWindow(window_);
  }
  bool InFront() override { return window_ && GetForegroundWindow() == window_; }

  bool ReadWindow() override { return SUCCEEDED(automation_->ElementFromHandle(window_, &root_)) && root_; }

  Element Find(const std::vector<std::wstring>& names, Kind kind, bool exact, Element except) override {
    IUiaElementArray* all = All(kind);
    Element found = 0;
    int count = 0;
    if (all && SUCCEEDED(all->get_Length(&count))) {
      for (int i = 0; i < count && !found; ++i) {
        IUiaElement* e = nullptr;
        if (FAILED(all->GetElement(i, &e)) || !e) continue;
        if (Matches(e, names, exact) && !Same(e, except)) {
          found = Keep(e);
        } else {
          e->Release();
        }
      }
    }
    Release(all);
    return found;
  }

  Element FocusedEmptyBox() override {
    IUiaElement* e = nullptr;
    if (FAILED(automation_->GetFocusedElement(&e)) || !e) return 0;
    const long type = Number(e, kControlTypeProperty);
    if (DWORD(Number(e, kProcessProperty)) == process_ && (type == kEditType || type == kComboBoxType) &&
        Text(e, kValueProperty).empty())
      return Keep(e);
    e->Release();
    return 0;
  }

  void Click(Element element) override {
    IUiaElement* e = At(element);
    if (!e) return;
    IUiaAction* action = nullptr;
    if (SUCCEEDED(e->GetCurrentPatternAs(kInvokePattern, kIidInvoke, reinterpret_cast<void**>(&action))) && action &&
        SUCCEEDED(action->Act())) {
      action->Release();
      return;
    }
    Release(action);
    if (SUCCEEDED(e->GetCurrentPatternAs(kSelectionItemPattern, kIidSelectionItem, reinterpret_cast<void**>(&action))) &&
        action && SUCCEEDED(action->Act())) {
      action->Release();
      return;
    }
    Release(action);
    RECT r = Bounds(e);
    if (r.right <= r.left || r.bottom <= r.top) return;
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    INPUT clicks[2] = {};
    clicks[0].type = clicks[1].type = INPUT_MOUSE;
    clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, clicks, sizeof(INPUT));
  }

  void Focus(Element element) override {
    if (IUiaElement* e = At(element)) e->SetFocus();
  }
  std::wstring ValueOf(Element element) override {
    IUiaElement* e = At(element);
    return e ? Text(e, kValueProperty) : std::wstring();
  }

  std::vector<std::wstring> Names(Element except) override {
    std::vector<std::wstring> names;
    IUiaElementArray* all = All(Kind::Any);
    int count = 0;
    if (all && SUCCEEDED(all->get_Length(&count))) {
      for (int i = 0; i < count; ++i) {
        IUiaElement* e = nullptr;
        if (FAILED(all->GetElement(i, &e)) || !e) continue;
        if (!Same(e, except)) names.push_back(Text(e, kNameProperty));
        e->Release();
      }
    }
    Release(all);
    return names;
  }

  void TypeBatch(std::wstring_view text) override {
    for (wchar_t c : text) {
      if (c == L'\r') continue;
      std::vector<INPUT> keys;
      auto key = [&](WORD vk, WORD scan, DWORD flags) {
        INPUT in = {};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = vk;
        in.ki.wScan = scan;
        in.ki.dwFlags = flags;
        keys.push_back(in);
      };
      if (c == L'\n') {
        key(VK_SHIFT, 0, 0);
        key(VK_RETURN, 0, 0);
        key(VK_RETURN, 0, KEYEVENTF_KEYUP);
        key(VK_SHIFT, 0, KEYEVENTF_KEYUP);
      } else {
        key(0, c, KEYEVENTF_UNICODE);
        key(0, c, KEYEVENTF_UNICODE | KEYEVENTF_KEYUP);
      }
      SendInput(UINT(keys.size()), keys.data(), sizeof(INPUT));
      Sleep(4);
    }
  }

  void PressEnter() override {
    INPUT keys[2] = {};
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[1].ki.wVk = VK_RETURN;
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof(INPUT));
  }

 private:
  IUiaElementArray* All(Kind kind) {
    if (!root_) return nullptr;
    IUiaCondition* condition = nullptr;
    HRESULT hr;
    if (kind == Kind::Any) {
      hr = automation_->CreateTrueCondition(&condition);
    } else {
      VARIANT type;
      VariantInit(&type);
      type.vt = VT_I4;
      type.lVal = kind == Kind::Button ? kButtonType : kEditType;
      hr = automation_->CreatePropertyCondition(kControlTypeProperty, type, &condition);
    }
    IUiaElementArray* all = nullptr;
    if (SUCCEEDED(hr) && condition) root_->FindAll(kScopeDescendants, condition, &all);
    Release(condition);
    return all;
  }

  static std::wstring Text(IUiaElement* e, int property) {
    VARIANT v;
    VariantInit(&v);
    std::wstring text;
    if (SUCCEEDED(e->GetCurrentPropertyValue(property, &v)) && v.vt == VT_BSTR && v.bstrVal)
      text.assign(v.bstrVal, SysStringLen(v.bstrVal));
    VariantClear(&v);
    return text;
  }
  static long Number(IUiaElement* e, int property) {
    VARIANT v;
    VariantInit(&v);
    long n = 0;
    if (SUCCEEDED(e->GetCurrentPropertyValue(property, &v))) {
      if (v.vt == VT_I4) n = v.lVal;
      if (v.vt == VT_BOOL) n = v.boolVal ? 1 : 0;
    }
    VariantClear(&v);
    return n;
  }
  // left, top, width, height as doubles.
  static RECT Bounds(IUiaElement* e) {
    RECT r = {};
    VARIANT v;
    VariantInit(&v);
    if (SUCCEEDED(e->GetCurrentPropertyValue(kBoundsProperty, &v)) && v.vt == (VT_ARRAY | VT_R8) && v.parray &&
        v.parray->rgsabound[0].cElements >= 4) {
      const double* d = static_cast<const double*>(v.parray->pvData);
      r = {LONG(d[0]), LONG(d[1]), LONG(d[0] + d[2]), LONG(d[1] + d[3])};
    }
    VariantClear(&v);
    return r;
  }

  static bool Matches(IUiaElement* e, const std::vector<std::wstring>& names, bool exact) {
    if (Number(e, kOffscreenProperty)) return false;
    const std::wstring name = Text(e, kNameProperty);
    if (name.empty()) return false;
    std::wstring lower;
    for (wchar_t c : name) lower += wchar_t(towlower(c));
    for (const std::wstring& wanted : names) {
      std::wstring w;
      for (wchar_t c : wanted) w += wchar_t(towlower(c));
      if (exact ? lower == w : lower.find(w) != std::wstring::npos) return true;
    }
    return false;
  }

  bool Same(IUiaElement* e, Element other) {
    IUiaElement* o = At(other);
    BOOL same = FALSE;
    return o && SUCCEEDED(automation_->CompareElements(e, o, &same)) && same;
  }

  Element Keep(IUiaElement* e) {
    elements_.push_back(e);
    return Element(elements_.size());
  }
  IUiaElement* At(Element element) {
    return element > 0 && size_t(element) <= elements_.size() ? elements_[size_t(element) - 1] : nullptr;
  }

  IUiaAutomation* automation_ = nullptr;
  IUiaElement* root_ = nullptr;
  HWND window_ = nullptr;
  DWORD process_ = 0;
  std::vector<IUiaElement*> elements_;
};

}  // namespace

bool SendThroughQuenlo(const wchar_t* pipeName, const std::wstring& to, const std::wstring& message,
                       DWORD replyTimeoutMs, SendResult& result) {
  if (!WaitNamedPipeW(pipeName, 300)) return false;
  // Identification only: a program posing as Quenlo can learn who we are but
  // can't act as us.
  UniqueFile pipe(CreateFileW(pipeName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr));
  if (!pipe) return false;
  UniqueHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!event) return false;

  const std::string request = QuenloRequest(to, message);
  OVERLAPPED io = {};
  io.hEvent = event.Get();
  DWORD done = 0;
  if (!WriteFile(pipe.Get(), request.data(), DWORD(request.size()), nullptr, &io) && GetLastError() != ERROR_IO_PENDING)
    return false;
  if (!FinishIo(pipe.Get(), io, 3000, done) || done != request.size()) return false;

  char reply[512] = {};
  io = {};
  ResetEvent(event.Get());
  io.hEvent = event.Get();
  bool read = ReadFile(pipe.Get(), reply, sizeof(reply) - 1, nullptr, &io) || GetLastError() == ERROR_IO_PENDING ||
              GetLastError() == ERROR_MORE_DATA;
  if (read) read = FinishIo(pipe.Get(), io, replyTimeoutMs, done) || GetLastError() == ERROR_MORE_DATA;
  if (!read || done == 0) {
    result = {true, true, L"Quenlo didn't confirm the text. Check Quenlo to see whether it went out.", {}};
  } else if (done >= 2 && reply[0] == 'O' && reply[1] == 'K') {
    result = {true, false, L"Text sent to " + to + L" through Quenlo.", {}};
  } else {
    std::wstring reason = WideFromUtf8(reply, int(done));
    if (reason.size() > 512) reason.resize(512);
    result = {false, false, L"Quenlo couldn't send the text: " + reason, {}};
  }
  return true;
}

SendResult SendText(const SendJob& job) {
  const std::wstring to = L"+" + job.recipient;
  SendResult result;
  if (SendThroughQuenlo(kQuenloPipe, to, job.message, 15000, result)) return result;
  UiaPhoneLink ui;
  return DrivePhoneLink(ui, job.recipient, job.name, job.message, job.phoneLinkAutoSend);
}
