#include "share/mail_send.h"

#include <windows.h>

#include <oleauto.h>

#include <cwctype>

#include "doc/document.h"
#include "share/mail_password.h"
#include "share/mail_rules.h"

namespace {

constexpr wchar_t kFieldNamespace[] = L"http://schemas.microsoft.com/cdo/configuration/";

// One IDispatch pointer, released when it goes.
class Dispatch {
 public:
  Dispatch() = default;
  ~Dispatch() { Reset(); }
  Dispatch(const Dispatch&) = delete;
  Dispatch& operator=(const Dispatch&) = delete;
  IDispatch* Get() const { return p_; }
  IDispatch** Out() {
    Reset();
    return &p_;
  }
  void Reset() {
    if (p_) p_->Release();
    p_ = nullptr;
  }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  IDispatch* p_ = nullptr;
};

// A VARIANT cleared when it goes.
struct Variant {
  VARIANT v;
  Variant() { VariantInit(&v); }
  ~Variant() { VariantClear(&v); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
};

enum class Call { Method, Get, Put };

// Every late-bound call goes through here. With `error` given, an unknown
// name or an exception the component raises leaves its text there.
HRESULT Invoke(IDispatch* object, const wchar_t* name, Call kind, VARIANT* args, UINT argCount, VARIANT* result,
               std::wstring* error) {
  if (!object) return E_POINTER;
  DISPID id = 0;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) {
    if (error) *error = std::wstring(L"Mail component has no ") + name;
    return hr;
  }
  DISPPARAMS params = {args, nullptr, argCount, 0};
  DISPID putId = DISPID_PROPERTYPUT;
  WORD flags = DISPATCH_METHOD;
  if (kind == Call::Get) flags = DISPATCH_PROPERTYGET;
  if (kind == Call::Put) {
    flags = DISPATCH_PROPERTYPUT;
    params.rgdispidNamedArgs = &putId;
    params.cNamedArgs = 1;
  }
  EXCEPINFO exception = {};
  hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, &exception, nullptr);
  if (hr == DISP_E_EXCEPTION) {
    if (exception.pfnDeferredFillIn) exception.pfnDeferredFillIn(&exception);
    if (error) {
      std::wstring text = exception.bstrDescription ? exception.bstrDescription : L"";
      // The component ends its descriptions with a line break.
      while (!text.empty() && std::iswspace(text.back())) text.pop_back();
      *error = text.empty() ? L"The mail server refused the message." : text;
    }
    const HRESULT code = exception.scode ? exception.scode : E_FAIL;
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    return FAILED(code) ? code : E_FAIL;
  }
  return hr;
}

// A property that must come back as an object.
HRESULT GetObject(IDispatch* object, const wchar_t* name, VARIANT* arg, Dispatch& out, std::wstring* error) {
  Variant result;
  HRESULT hr = Invoke(object, name, Call::Get, arg, arg ? 1 : 0, &result.v, error);
  if (FAILED(hr)) return hr;
  if (result.v.vt != VT_DISPATCH || !result.v.pdispVal) return E_NOINTERFACE;
  *out.Out() = result.v.pdispVal;
  result.v.pdispVal->AddRef();
  return S_OK;
}

HRESULT PutText(IDispatch* object, const wchar_t* name, const std::wstring& text, std::wstring* error) {
  Variant value;
  value.v.vt = VT_BSTR;
  value.v.bstrVal = SysAllocStringLen(text.data(), UINT(text.size()));
  if (!value.v.bstrVal) return E_OUTOFMEMORY;
  return Invoke(object, name, Call::Put, &value.v, 1, nullptr, error);
}

// Fields.Item(namespace + name).Value = value.
HRESULT SetField(IDispatch* fields, const wchar_t* name, VARIANT& value, std::wstring& error) {
  Variant key;
  key.v.vt = VT_BSTR;
  key.v.bstrVal = SysAllocString((std::wstring(kFieldNamespace) + name).c_str());
  if (!key.v.bstrVal) return E_OUTOFMEMORY;
  Dispatch field;
  HRESULT hr = GetObject(fields, L"Item", &key.v, field, &error);
  if (FAILED(hr)) return hr;
  return Invoke(field.Get(), L"Value", Call::Put, &value, 1, nullptr, &error);
}

HRESULT SetNumberField(IDispatch* fields, const wchar_t* name, long number, std::wstring& error) {
  Variant value;
  value.v.vt = VT_I4;
  value.v.lVal = number;
  return SetField(fields, name, value.v, error);
}

HRESULT SetTextField(IDispatch* fields, const wchar_t* name, const std::wstring& text, std::wstring& error) {
  Variant value;
  value.v.vt = VT_BSTR;
  value.v.bstrVal = SysAllocStringLen(text.data(), UINT(text.size()));
  if (!value.v.bstrVal) return E_OUTOFMEMORY;
  HRESULT hr = SetField(fields, name, value.v, error);
  // The password's copy goes as soon as the component has it.
  SecureZeroMemory(value.v.bstrVal, SysStringByteLen(value.v.bstrVal));
  return hr;
}

HRESULT Configure(IDispatch* fields, const MailSettings& settings, std::wstring& password, std::wstring& error) {
  HRESULT hr = SetNumberField(fields, L"sendusing", 2, error);
  if (SUCCEEDED(hr)) hr = SetTextField(fields, L"smtpserver", settings.server, error);
  if (SUCCEEDED(hr)) hr = SetNumberField(fields, L"smtpserverport", settings.port, error);
  if (SUCCEEDED(hr)) {
    Variant ssl;
    ssl.v.vt = VT_BOOL;
    ssl.v.boolVal = settings.useSsl ? VARIANT_TRUE : VARIANT_FALSE;
    hr = SetField(fields, L"smtpusessl", ssl.v, error);
  }
  if (SUCCEEDED(hr)) hr = SetNumberField(fields, L"smtpconnectiontimeout", 30, error);
  const bool login = !settings.user.empty();
  if (SUCCEEDED(hr)) hr = SetNumberField(fields, L"smtpauthenticate", login ? 1 : 0, error);
  if (SUCCEEDED(hr) && login) hr = SetTextField(fields, L"sendusername", settings.user, error);
  if (SUCCEEDED(hr) && login) hr = SetTextField(fields, L"sendpassword", password, error);
  WipeText(password);
  if (SUCCEEDED(hr)) hr = Invoke(fields, L"Update", Call::Method, nullptr, 0, nullptr, &error);
  return hr;
}

HRESULT Compose(IDispatch* message, const MailSettings& settings, const std::wstring& to, const std::wstring& subject,
                const std::wstring& body, const std::wstring& attachment, std::wstring& error) {
  HRESULT hr = PutText(message, L"From", MailFromValue(settings.fromName, settings.fromAddress), &error);
  if (SUCCEEDED(hr)) hr = PutText(message, L"To", to, &error);
  if (SUCCEEDED(hr)) hr = PutText(message, L"Subject", subject, &error);
  if (SUCCEEDED(hr)) hr = PutText(message, L"TextBody", MailBodyText(body), &error);
  if (FAILED(hr)) return hr;
  // The character set is a nicety: its failures don't stop the email.
  Dispatch part;
  if (SUCCEEDED(GetObject(message, L"TextBodyPart", nullptr, part, nullptr))) PutText(part.Get(), L"Charset", L"utf-8", nullptr);
  part.Reset();
  if (SUCCEEDED(GetObject(message, L"BodyPart", nullptr, part, nullptr))) PutText(part.Get(), L"Charset", L"utf-8", nullptr);
  part.Reset();
  if (!attachment.empty()) {
    Variant path, result;
    path.v.vt = VT_BSTR;
    path.v.bstrVal = SysAllocString(attachment.c_str());
    hr = path.v.bstrVal ? Invoke(message, L"AddAttachment", Call::Method, &path.v, 1, &result.v, &error) : E_OUTOFMEMORY;
    if (FAILED(hr)) {
      if (error.empty()) error = L"Couldn't attach the PDF.";
      return hr;
    }
  }
  hr = Invoke(message, L"Send", Call::Method, nullptr, 0, nullptr, &error);
  if (FAILED(hr) && error.empty()) error = L"The mail server didn't accept the message.";
  return hr;
}

}  // namespace

SendResult SendMail(const MailSettings& settings, const std::wstring& to, const std::wstring& subject,
                    const std::wstring& body, const std::wstring& attachment) {
  SendResult result;
  std::wstring password = ReadPassword();
  CLSID cls = {};
  Dispatch message;
  if (FAILED(CLSIDFromProgID(L"CDO.Message", &cls)) ||
      FAILED(CoCreateInstance(cls, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                              reinterpret_cast<void**>(message.Out()))) ||
      !message) {
    WipeText(password);
    result.text = L"Windows' built-in mail component (CDO) isn't available on this PC.";
    return result;
  }
  std::wstring error;
  Dispatch configuration, fields;
  HRESULT hr = GetObject(message.Get(), L"Configuration", nullptr, configuration, &error);
  if (SUCCEEDED(hr)) hr = GetObject(configuration.Get(), L"Fields", nullptr, fields, &error);
  if (SUCCEEDED(hr)) hr = Configure(fields.Get(), settings, password, error);
  WipeText(password);
  if (SUCCEEDED(hr)) hr = Compose(message.Get(), settings, to, subject, body, attachment, error);
  if (SUCCEEDED(hr)) {
    result.ok = true;
    result.text = L"Email sent to " + to + L".";
  } else {
    result.text = L"The email wasn't sent.\n\n" + (error.empty() ? std::wstring(L"Unknown error.") : error) +
                  L"\n\nCheck the email server settings (Share tab \u2192 Email Server): the server name, port, SSL "
                  L"setting, user name and password.";
  }
  return result;
}
