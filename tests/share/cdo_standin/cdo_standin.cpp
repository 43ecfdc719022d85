// A test-only stand-in for Windows' mail component ("CDO.Message"), which
// Wine doesn't have. It is an in-process COM server that answers, late
// bound through IDispatch, the members Folivex's email routine uses, and
// its Send really speaks SMTP over Winsock to the configured server: EHLO,
// AUTH LOGIN when basic authentication is configured, MAIL FROM, RCPT TO
// and DATA with a MIME message (RFC 2047 header words, the text body and
// each attachment in Base64), within the configured connection time-out.
// Failures raise the component's own codes and texts.
//
// It speaks no TLS: with smtpusessl set, Send fails and says so, so the
// tests send with SSL off. Configuration values count only once
// Fields.Update has run, and the text body's bytes follow TextBodyPart's
// Charset (us-ascii until it is set), as with the real component.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <cdosyserr.h>
#include <oleauto.h>

#include <cstdio>
#include <cwctype>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

// {8E0F5C2A-3B7D-4C61-A9E4-6D2B1F0C7A53}, registered by the tests as the
// class of "CDO.Message".
constexpr CLSID kClsid = {0x8e0f5c2a, 0x3b7d, 0x4c61, {0xa9, 0xe4, 0x6d, 0x2b, 0x1f, 0x0c, 0x7a, 0x53}};
constexpr wchar_t kFieldNamespace[] = L"http://schemas.microsoft.com/cdo/configuration/";

// A failed call: with a text it is raised as an exception (DISP_E_EXCEPTION
// and an EXCEPINFO), without one the code is returned as it is.
struct Failure {
  Failure(unsigned long c, std::wstring t) : code(HRESULT(c)), text(std::move(t)) {}
  HRESULT code;
  std::wstring text;
};

const wchar_t kLostConnection[] = L"The transport lost its connection to the server.\r\n";
const wchar_t kNoConnection[] = L"The transport failed to connect to the server.\r\n";

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(size_t(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::wstring Wide(const std::string& text) {
  if (text.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
  std::wstring out(size_t(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), out.data(), n);
  return out;
}

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = wchar_t(std::towlower(c));
  return text;
}

std::wstring Trim(const std::wstring& text) {
  size_t b = 0, e = text.size();
  while (b < e && std::iswspace(text[b])) ++b;
  while (e > b && std::iswspace(text[e - 1])) --e;
  return text.substr(b, e - b);
}

// The text in a character set the component knows; what the set can't
// hold becomes '?'.
std::string Encode(const std::wstring& text, const std::wstring& charset) {
  const std::wstring cs = Lower(charset);
  if (cs == L"utf-8") return Utf8(text);
  const UINT page = cs == L"iso-8859-1" ? 28591 : cs == L"windows-1252" ? 1252 : 20127;
  std::string out;
  for (wchar_t c : text) {
    char b = '?';
    BOOL lost = FALSE;
    if (WideCharToMultiByte(page, WC_NO_BEST_FIT_CHARS, &c, 1, &b, 1, nullptr, page == 20127 ? nullptr : &lost) != 1 ||
        lost || (page == 20127 && c > 0x7F))
      b = '?';
    out += b;
  }
  return out;
}

std::string Base64(const std::string& bytes) {
  static const char k[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const size_t n = bytes.size() - i < 3 ? bytes.size() - i : 3;
    unsigned v = unsigned(uint8_t(bytes[i])) << 16;
    if (n > 1) v |= unsigned(uint8_t(bytes[i + 1])) << 8;
    if (n > 2) v |= uint8_t(bytes[i + 2]);
    out += k[v >> 18 & 63];
    out += k[v >> 12 & 63];
    out += n > 1 ? k[v >> 6 & 63] : '=';
    out += n > 2 ? k[v & 63] : '=';
  }
  return out;
}

// Base64 body lines of 76 characters.
std::string Base64Lines(const std::string& bytes) {
  const std::string all = Base64(bytes);
  std::string out;
  for (size_t i = 0; i < all.size(); i += 76) out += all.substr(i, 76) + "\r\n";
  return out;
}

bool Ascii(const std::wstring& text) {
  for (wchar_t c : text)
    if (c > 0x7E) return false;
  return true;
}

// RFC 2047 words in the given character set, at most 45 bytes each, never
// splitting a UTF-8 sequence.
std::string EncodedWords(const std::wstring& text, const std::wstring& charset) {
  const std::string bytes = Encode(text, charset);
  const std::string cs = Utf8(Lower(charset));
  std::string out;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = start + 45 < bytes.size() ? start + 45 : bytes.size();
    while (cs == "utf-8" && end < bytes.size() && end > start + 1 && (uint8_t(bytes[end]) & 0xC0) == 0x80) --end;
    if (!out.empty()) out += ' ';
    out += "=?" + cs + "?B?" + Base64(bytes.substr(start, end - start)) + "?=";
    start = end;
  }
  return out;
}

// A header value as written: ASCII passes as given (line breaks included:
// the component writes what it's handed); otherwise a subject is encoded
// whole and an address's display name is encoded before its <address>.
std::string HeaderValue(const std::wstring& value, bool address, const std::wstring& charset) {
  if (Ascii(value)) return Utf8(value);
  const size_t open = address ? value.rfind(L'<') : std::wstring::npos;
  if (open == std::wstring::npos) return EncodedWords(value, charset);
  std::wstring name = Trim(value.substr(0, open));
  if (name.size() >= 2 && name.front() == L'"' && name.back() == L'"') name = name.substr(1, name.size() - 2);
  return EncodedWords(name, charset) + " " + Utf8(value.substr(open));
}

// The mailbox of one address: what is inside <>, or the whole text.
std::string Mailbox(const std::wstring& value) {
  const size_t open = value.rfind(L'<'), close = value.rfind(L'>');
  if (open != std::wstring::npos && close != std::wstring::npos && close > open)
    return Utf8(value.substr(open + 1, close - open - 1));
  return Utf8(Trim(value));
}

// The addresses of a To value: split at commas and semicolons outside
// quotes.
std::vector<std::wstring> Addresses(const std::wstring& value) {
  std::vector<std::wstring> out;
  std::wstring current;
  bool quoted = false;
  for (size_t i = 0; i < value.size(); ++i) {
    const wchar_t c = value[i];
    if (c == L'\\' && quoted && i + 1 < value.size()) {
      current += c;
      current += value[++i];
      continue;
    }
    if (c == L'"') quoted = !quoted;
    if (!quoted && (c == L',' || c == L';')) {
      if (!Trim(current).empty()) out.push_back(Trim(current));
      current.clear();
    } else {
      current += c;
    }
  }
  if (!Trim(current).empty()) out.push_back(Trim(current));
  return out;
}

std::string DateHeader() {
  static const char* days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  SYSTEMTIME t;
  GetSystemTime(&t);
  char text[64];
  snprintf(text, sizeof text, "%s, %02u %s %04u %02u:%02u:%02u +0000", days[t.wDayOfWeek % 7], t.wDay,
           months[(t.wMonth + 11) % 12], t.wYear, t.wHour, t.wMinute, t.wSecond);
  return text;
}

// ---- IDispatch plumbing ----

struct Args {
  DISPPARAMS* p;
  UINT Count() const { return p ? p->cArgs : 0; }
  // Argument i in the caller's order (DISPPARAMS holds them reversed).
  VARIANT* At(UINT i) const { return &p->rgvarg[p->cArgs - 1 - i]; }
};

std::wstring TextOf(VARIANT* v) {
  VARIANT t;
  VariantInit(&t);
  if (FAILED(VariantChangeType(&t, v, 0, VT_BSTR))) throw Failure(static_cast<unsigned long>(DISP_E_TYPEMISMATCH), L"");
  std::wstring text(t.bstrVal ? t.bstrVal : L"", t.bstrVal ? SysStringLen(t.bstrVal) : 0);
  VariantClear(&t);
  return text;
}

bool IsPut(WORD flags) { return flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF); }

class Object : public IDispatch {
 public:
  explicit Object(std::vector<std::wstring> members) : members_(std::move(members)) {}
  virtual ~Object() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch) {
      *out = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(InterlockedIncrement(&refs_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG n = InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return ULONG(n);
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count) *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    if (count == 0) return S_OK;
    for (size_t m = 0; m < members_.size(); ++m)
      if (_wcsicmp(names[0], members_[m].c_str()) == 0) ids[0] = DISPID(m + 1);
    return ids[0] == DISPID_UNKNOWN || count > 1 ? DISP_E_UNKNOWNNAME : S_OK;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO* exception, UINT*) override {
    if (id < 1 || size_t(id) > members_.size()) return DISP_E_MEMBERNOTFOUND;
    if (result) VariantInit(result);
    try {
      return Call(members_[size_t(id) - 1], flags, Args{params}, result);
    } catch (const Failure& failure) {
      if (failure.text.empty()) return failure.code;
      if (exception) {
        *exception = EXCEPINFO{};
        exception->bstrSource = SysAllocString(L"CDO.Message.1");
        exception->bstrDescription = SysAllocString(failure.text.c_str());
        exception->scode = failure.code;
      }
      return DISP_E_EXCEPTION;
    }
  }

 protected:
  virtual HRESULT Call(const std::wstring& member, WORD flags, const Args& args, VARIANT* result) = 0;

  static HRESULT Text(std::wstring& field, WORD flags, const Args& args, VARIANT* result) {
    if (IsPut(flags)) {
      if (args.Count() != 1) return DISP_E_BADPARAMCOUNT;
      field = TextOf(args.At(0));
      return S_OK;
    }
    if (result) {
      result->vt = VT_BSTR;
      result->bstrVal = SysAllocStringLen(field.data(), UINT(field.size()));
    }
    return S_OK;
  }
  static HRESULT Get(IDispatch* object, WORD flags, VARIANT* result) {
    if (IsPut(flags)) return DISP_E_MEMBERNOTFOUND;
    if (result) {
      object->AddRef();
      result->vt = VT_DISPATCH;
      result->pdispVal = object;
    }
    return S_OK;
  }

 private:
  LONG refs_ = 1;
  std::vector<std::wstring> members_;
};

class BodyPart : public Object {
 public:
  BodyPart() : Object({L"Charset"}) {}
  std::wstring charset = L"us-ascii";

 protected:
  HRESULT Call(const std::wstring&, WORD flags, const Args& args, VARIANT* result) override {
    return Text(charset, flags, args, result);
  }
};

class Field : public Object {
 public:
  Field() : Object({L"Value"}) { VariantInit(&value); }
  ~Field() override { VariantClear(&value); }
  VARIANT value;

 protected:
  HRESULT Call(const std::wstring&, WORD flags, const Args& args, VARIANT* result) override {
    if (IsPut(flags)) {
      if (args.Count() != 1) return DISP_E_BADPARAMCOUNT;
      return VariantCopyInd(&value, args.At(0));
    }
    return result ? VariantCopy(result, &value) : S_OK;
  }
};

class Fields : public Object {
 public:
  Fields() : Object({L"Item", L"Update"}) {}
  ~Fields() override {
    for (auto& item : items_) item.second->Release();
    for (auto& applied : applied_) VariantClear(&applied.second);
  }
  // A configuration value as Update left it (empty when never set).
  VARIANT* Applied(const wchar_t* shortName) {
    auto it = applied_.find(Lower(std::wstring(kFieldNamespace) + shortName));
    return it == applied_.end() ? nullptr : &it->second;
  }

 protected:
  HRESULT Call(const std::wstring& member, WORD flags, const Args& args, VARIANT* result) override {
    if (member == L"Update") {
      for (auto& item : items_) {
        VARIANT& copy = applied_[item.first];
        VariantClear(&copy);
        VariantCopy(&copy, &item.second->value);
      }
      return S_OK;
    }
    if (IsPut(flags)) return DISP_E_MEMBERNOTFOUND;
    if (args.Count() != 1) return DISP_E_BADPARAMCOUNT;
    const std::wstring name = Lower(TextOf(args.At(0)));
    Field*& field = items_[name];
    if (!field) field = new Field;
    return Get(field, flags, result);
  }

 private:
  std::map<std::wstring, Field*> items_;
  std::map<std::wstring, VARIANT> applied_;
};

class Configuration : public Object {
 public:
  Configuration() : Object({L"Fields"}) {}
  ~Configuration() override { fields->Release(); }
  Fields* fields = new Fields;

 protected:
  HRESULT Call(const std::wstring&, WORD flags, const Args&, VARIANT* result) override {
    return Get(fields, flags, result);
  }
};

// ---- SMTP over Winsock ----

class Smtp {
 public:
  Smtp(const std::wstring& server, int port, int timeoutSeconds) {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) throw Failure{CDO_E_FAILED_TO_CONNECT, kNoConnection};
    started_ = true;
    ADDRINFOW hints = {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    ADDRINFOW* list = nullptr;
    if (GetAddrInfoW(server.c_str(), std::to_wstring(port).c_str(), &hints, &list) != 0)
      throw Failure{CDO_E_FAILED_TO_CONNECT, kNoConnection};
    for (ADDRINFOW* a = list; a && socket_ == INVALID_SOCKET; a = a->ai_next) {
      SOCKET s = socket(a->ai_family, a->ai_socktype, a->ai_protocol);
      if (s == INVALID_SOCKET) continue;
      u_long nonBlocking = 1;
      ioctlsocket(s, FIONBIO, &nonBlocking);
      bool connected = connect(s, a->ai_addr, int(a->ai_addrlen)) == 0;
      if (!connected && WSAGetLastError() == WSAEWOULDBLOCK) {
        fd_set writable, failed;
        FD_ZERO(&writable);
        FD_ZERO(&failed);
        FD_SET(s, &writable);
        FD_SET(s, &failed);
        timeval wait = {timeoutSeconds, 0};
        int error = 0, size = sizeof error;
        connected = select(0, nullptr, &writable, &failed, &wait) == 1 && FD_ISSET(s, &writable) &&
                    getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) == 0 && error == 0;
      }
      if (!connected) {
        closesocket(s);
        continue;
      }
      nonBlocking = 0;
      ioctlsocket(s, FIONBIO, &nonBlocking);
      const DWORD ms = DWORD(timeoutSeconds) * 1000;
      setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&ms), sizeof ms);
      setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&ms), sizeof ms);
      socket_ = s;
    }
    FreeAddrInfoW(list);
    if (socket_ == INVALID_SOCKET) throw Failure{CDO_E_FAILED_TO_CONNECT, kNoConnection};
  }
  ~Smtp() {
    if (socket_ != INVALID_SOCKET) closesocket(socket_);
    if (started_) WSACleanup();
  }
  Smtp(const Smtp&) = delete;
  Smtp& operator=(const Smtp&) = delete;

  void Write(const std::string& bytes) {
    for (size_t sent = 0; sent < bytes.size();) {
      const int n = send(socket_, bytes.data() + sent, int(bytes.size() - sent), 0);
      if (n <= 0) throw Failure{CDO_E_CONNECTION_DROPPED, kLostConnection};
      sent += size_t(n);
    }
  }
  // One reply: its code, with its text (the lines of a multi-line reply
  // joined by blanks) in `text`.
  int Reply(std::string& text) {
    text.clear();
    for (;;) {
      size_t end;
      while ((end = buffer_.find('\n')) == std::string::npos) {
        char chunk[4096];
        const int n = recv(socket_, chunk, sizeof chunk, 0);
        if (n <= 0) throw Failure{CDO_E_CONNECTION_DROPPED, kLostConnection};
        buffer_.append(chunk, size_t(n));
      }
      std::string line = buffer_.substr(0, end);
      buffer_.erase(0, end + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.size() < 3) throw Failure{CDO_E_CONNECTION_DROPPED, kLostConnection};
      text += (text.empty() ? "" : " ") + line;
      if (line.size() == 3 || line[3] != '-') return atoi(line.substr(0, 3).c_str());
    }
  }
  int Command(const std::string& line, std::string& text) {
    Write(line + "\r\n");
    return Reply(text);
  }

 private:
  bool started_ = false;
  SOCKET socket_ = INVALID_SOCKET;
  std::string buffer_;
};

std::wstring SendFailed(HRESULT transportCode, const std::string& response) {
  wchar_t code[16];
  swprintf(code, 16, L"0x%08lX", static_cast<unsigned long>(transportCode));
  return std::wstring(L"The message could not be sent to the SMTP server. The transport error code was ") + code +
         L". The server response was " + (response.empty() ? L"not available" : Wide(response)) + L"\r\n";
}

// ---- The message ----

struct Attachment {
  std::wstring name;
  std::string bytes;
};

class Message : public Object {
 public:
  Message()
      : Object({L"From", L"To", L"Subject", L"TextBody", L"TextBodyPart", L"BodyPart", L"AddAttachment",
                L"Configuration", L"Send"}) {}
  ~Message() override {
    configuration_->Release();
    textPart_->Release();
    bodyPart_->Release();
  }

 protected:
  HRESULT Call(const std::wstring& member, WORD flags, const Args& args, VARIANT* result) override {
    if (member == L"From") return Text(from_, flags, args, result);
    if (member == L"To") return Text(to_, flags, args, result);
    if (member == L"Subject") return Text(subject_, flags, args, result);
    if (member == L"TextBody") return Text(body_, flags, args, result);
    if (member == L"TextBodyPart") return Get(textPart_, flags, result);
    if (member == L"BodyPart") return Get(bodyPart_, flags, result);
    if (member == L"Configuration") return Get(configuration_, flags, result);
    if (IsPut(flags)) return DISP_E_MEMBERNOTFOUND;
    if (member == L"AddAttachment") {
      if (args.Count() < 1 || args.Count() > 3) return DISP_E_BADPARAMCOUNT;
      AddAttachment(TextOf(args.At(0)));
      BodyPart* part = new BodyPart;
      const HRESULT hr = Get(part, flags, result);
      part->Release();
      return hr;
    }
    if (args.Count() != 0) return DISP_E_BADPARAMCOUNT;
    Send();
    return S_OK;
  }

 private:
  // The file is read now, as the component does.
  void AddAttachment(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    Attachment a;
    bool ok = file != INVALID_HANDLE_VALUE;
    DWORD error = ok ? 0 : GetLastError();
    while (ok) {
      char chunk[65536];
      DWORD n = 0;
      if (!ReadFile(file, chunk, sizeof chunk, &n, nullptr)) {
        error = GetLastError();
        ok = false;
      } else if (n == 0) {
        break;
      } else {
        a.bytes.append(chunk, n);
      }
    }
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    if (!ok) {
      wchar_t* text = nullptr;
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
      const std::wstring description = text ? text : L"The file could not be read.\r\n";
      LocalFree(text);
      throw Failure{HRESULT_FROM_WIN32(error), description};
    }
    const size_t slash = path.find_last_of(L"\\/");
    a.name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    attachments_.push_back(std::move(a));
  }

  std::string TextPart() const {
    return "Content-Type: text/plain; charset=\"" + Utf8(textPart_->charset) +
           "\"\r\nContent-Transfer-Encoding: base64\r\n\r\n" + Base64Lines(Encode(body_, textPart_->charset));
  }

  std::string AttachmentPart(const Attachment& a) const {
    const std::wstring lower = Lower(a.name);
    const bool pdf = lower.size() > 4 && lower.compare(lower.size() - 4, 4, L".pdf") == 0;
    std::string name, disposition;
    if (Ascii(a.name)) {
      for (char c : Utf8(a.name)) {
        if (c == '"' || c == '\\') name += '\\';
        name += c;
      }
      name = "\"" + name + "\"";
      disposition = "filename=" + name;
    } else {
      name = "\"" + EncodedWords(a.name, L"utf-8") + "\"";
      disposition = "filename*=utf-8''";
      for (unsigned char c : Utf8(a.name)) {
        char hex[4];
        snprintf(hex, sizeof hex, "%%%02X", c);
        disposition += isalnum(c) || c == '.' || c == '-' || c == '_' ? std::string(1, char(c)) : std::string(hex);
      }
    }
    return std::string("Content-Type: ") + (pdf ? "application/pdf" : "application/octet-stream") + "; name=" + name +
           "\r\nContent-Transfer-Encoding: base64\r\nContent-Disposition: attachment; " + disposition + "\r\n\r\n" +
           Base64Lines(a.bytes);
  }

  std::string Mime() const {
    const std::wstring& cs = bodyPart_->charset;
    std::string m = "From: " + HeaderValue(from_, true, cs) + "\r\nTo: " + HeaderValue(to_, true, cs) +
                    "\r\nSubject: " + HeaderValue(subject_, false, cs) + "\r\nDate: " + DateHeader() +
                    "\r\nMIME-Version: 1.0\r\n";
    if (attachments_.empty()) return m + TextPart();
    const std::string boundary = "----=_NextPart_cdo_standin_7d1a";
    m += "Content-Type: multipart/mixed; boundary=\"" + boundary +
         "\"\r\n\r\nThis is a multi-part message in MIME format.\r\n\r\n--" + boundary + "\r\n" + TextPart();
    for (const Attachment& a : attachments_) m += "\r\n--" + boundary + "\r\n" + AttachmentPart(a);
    return m + "\r\n--" + boundary + "--\r\n";
  }

  std::wstring Config(const wchar_t* name) const {
    VARIANT* v = configuration_->fields->Applied(name);
    return v && v->vt != VT_EMPTY ? TextOf(v) : L"";
  }
  long Number(const wchar_t* name, long fallback) const {
    VARIANT* v = configuration_->fields->Applied(name);
    VARIANT n;
    VariantInit(&n);
    if (!v || v->vt == VT_EMPTY || FAILED(VariantChangeType(&n, v, 0, VT_I4))) return fallback;
    return n.lVal;
  }

  void Send() {
    if (Number(L"sendusing", 0) != 2)
      throw Failure{CDO_E_INVALID_SEND_OPTION, L"The \"SendUsing\" configuration value is invalid.\r\n"};
    const std::wstring server = Config(L"smtpserver");
    if (server.empty())
      throw Failure{CDO_E_SMTP_SERVER_REQUIRED,
                    L"The SMTP server name is required, and was not found in the configuration source.\r\n"};
    if (Trim(from_).empty())
      throw Failure{CDO_E_FROM_MISSING,
                    L"At least one of the From or Sender fields is required, and neither was found.\r\n"};
    const std::vector<std::wstring> recipients = Addresses(to_);
    if (recipients.empty())
      throw Failure{CDO_E_RECIPIENT_MISSING, L"At least one recipient is required, but none were found.\r\n"};
    if (Number(L"smtpusessl", 0) != 0)
      throw Failure{CDO_E_FAILED_TO_CONNECT,
                    L"This test stand-in of the mail component speaks no TLS, and SSL was asked for.\r\n"};
    const std::string message = Mime();

    Smtp smtp(server, int(Number(L"smtpserverport", 25)), int(Number(L"smtpconnectiontimeout", 30)));
    std::string reply;
    if (smtp.Reply(reply) != 220) throw Failure{CDO_E_FAILED_TO_CONNECT, kNoConnection};
    if (smtp.Command("EHLO folivex-test", reply) != 250 && smtp.Command("HELO folivex-test", reply) != 250)
      throw Failure{CDO_E_SMTP_SEND_FAILED, SendFailed(CDO_E_SMTP_SEND_FAILED, reply)};
    if (Number(L"smtpauthenticate", 0) == 1) {
      // A refused login reads as the component's well-known text: the
      // server's answer isn't passed on.
      if (smtp.Command("AUTH LOGIN", reply) != 334 ||
          smtp.Command(Base64(Utf8(Config(L"sendusername"))), reply) != 334 ||
          smtp.Command(Base64(Utf8(Config(L"sendpassword"))), reply) != 235)
        throw Failure{CDO_E_SMTP_SEND_FAILED, SendFailed(CDO_E_LOGON_FAILURE, "")};
    }
    if (smtp.Command("MAIL FROM:<" + Mailbox(from_) + ">", reply) != 250)
      throw Failure{CDO_E_SENDER_REJECTED, L"The server rejected the sender address. The server response was: " +
                                               Wide(reply) + L"\r\n"};
    for (const std::wstring& to : recipients) {
      const int code = smtp.Command("RCPT TO:<" + Mailbox(to) + ">", reply);
      if (code != 250 && code != 251)
        throw Failure{CDO_E_RECIPIENTS_REJECTED,
                      L"The server rejected one or more recipient addresses. The server response was: " + Wide(reply) +
                          L"\r\n"};
    }
    if (smtp.Command("DATA", reply) != 354)
      throw Failure{CDO_E_SMTP_SEND_FAILED, SendFailed(CDO_E_SMTP_SEND_FAILED, reply)};
    // Dot-stuffing: a line that starts with a dot gets a second one.
    std::string data;
    size_t start = 0;
    while (start < message.size()) {
      size_t end = message.find("\r\n", start);
      end = end == std::string::npos ? message.size() : end + 2;
      if (message[start] == '.') data += '.';
      data.append(message, start, end - start);
      start = end;
    }
    if (data.size() < 2 || data.compare(data.size() - 2, 2, "\r\n") != 0) data += "\r\n";
    smtp.Write(data);
    if (smtp.Command(".", reply) != 250)
      throw Failure{CDO_E_SMTP_SEND_FAILED, SendFailed(CDO_E_SMTP_SEND_FAILED, reply)};
    try {
      smtp.Command("QUIT", reply);
    } catch (const Failure&) {
      // The message went out; how the server says goodbye doesn't matter.
    }
  }

  std::wstring from_, to_, subject_, body_;
  std::vector<Attachment> attachments_;
  Configuration* configuration_ = new Configuration;
  BodyPart* textPart_ = new BodyPart;
  BodyPart* bodyPart_ = new BodyPart;
};

class Factory : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
      *out = static_cast<IClassFactory*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    Message* message = new Message;
    const HRESULT hr = message->QueryInterface(iid, out);
    message->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

Factory g_factory;

}  // namespace

STDAPI DllGetClassObject(REFCLSID cls, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (cls != kClsid) return CLASS_E_CLASSNOTAVAILABLE;
  return g_factory.QueryInterface(iid, out);
}

// The stand-in stays loaded for the life of the process.
STDAPI DllCanUnloadNow() { return S_FALSE; }
