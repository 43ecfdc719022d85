#include "update/http_get.h"

#include <winhttp.h>

#include <memory>
#include <vector>

#include "base/handles.h"
#include "base/win_util.h"
#include "update/feed.h"
#include "update/update_rules.h"

namespace {

constexpr wchar_t kBuiltInFeed[] = L"https://raw.githubusercontent.com/corvane/folivex-releases/main/latest.json";
constexpr wchar_t kPolicyKey[] = L"Software\\Corvane\\Folivex\\Policy";
constexpr UINT kProgressMessage = WM_APP + 12;
constexpr DWORD kChunk = 65536;
constexpr int kMostRedirects = 5;
constexpr wchar_t kNotSecure[] =
    L"The update server sent Folivex to an address that isn't secure (not HTTPS), so nothing was downloaded.";

struct InternetHandle {
  HINTERNET h = nullptr;
  explicit InternetHandle(HINTERNET handle) : h(handle) {}
  ~InternetHandle() {
    if (h) WinHttpCloseHandle(h);
  }
  InternetHandle(const InternetHandle&) = delete;
  InternetHandle& operator=(const InternetHandle&) = delete;
};

bool StartsWithNoCase(const std::wstring& text, const wchar_t* start) {
  const size_t n = wcslen(start);
  return text.size() >= n && CompareStringOrdinal(text.c_str(), int(n), start, int(n), TRUE) == CSTR_EQUAL;
}

std::wstring Format(const wchar_t* format, ...) {
  wchar_t buffer[kErrorTextChars];
  va_list args;
  va_start(args, format);
  _vsnwprintf(buffer, kErrorTextChars - 1, format, args);
  va_end(args);
  buffer[kErrorTextChars - 1] = 0;
  return buffer;
}

// One request of a GET: an HTTPS address split into its parts, connected,
// sent and answered. Redirects are not followed here.
struct Exchange {
  std::unique_ptr<InternetHandle> connection;
  std::unique_ptr<InternetHandle> request;
  DWORD status = 0;
};

bool Send(HINTERNET session, const std::wstring& url, Exchange& ex, std::wstring& error) {
  wchar_t host[257] = {}, path[2049] = {}, extra[2049] = {};
  URL_COMPONENTS parts = {};
  parts.dwStructSize = sizeof(parts);
  parts.lpszHostName = host;
  parts.dwHostNameLength = 257;
  parts.lpszUrlPath = path;
  parts.dwUrlPathLength = 2049;
  parts.lpszExtraInfo = extra;
  parts.dwExtraInfoLength = 2049;
  if (url.empty() || !WinHttpCrackUrl(url.c_str(), DWORD(url.size()), 0, &parts) || host[0] == 0) {
    error = L"Bad update address.";
    return false;
  }
  if (parts.nScheme != INTERNET_SCHEME_HTTPS) {
    error = kNotSecure;
    return false;
  }
  std::wstring object = std::wstring(path) + extra;
  if (object.empty()) object = L"/";
  ex.connection = std::make_unique<InternetHandle>(WinHttpConnect(session, host, parts.nPort, 0));
  if (!ex.connection->h) {
    error = Format(L"Couldn't reach %ls (error %lu).", host, GetLastError());
    return false;
  }
  ex.request = std::make_unique<InternetHandle>(WinHttpOpenRequest(ex.connection->h, L"GET", object.c_str(), nullptr,
                                                                   WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                                                   WINHTTP_FLAG_SECURE));
  if (!ex.request->h) {
    error = Format(L"Couldn't create the request (error %lu).", GetLastError());
    return false;
  }
  // Redirects are followed by the caller, which looks at each address.
  DWORD noRedirects = WINHTTP_DISABLE_REDIRECTS;
  WinHttpSetOption(ex.request->h, WINHTTP_OPTION_DISABLE_FEATURE, &noRedirects, sizeof(noRedirects));
  WinHttpAddRequestHeaders(ex.request->h, L"Cache-Control: no-cache\r\nPragma: no-cache", DWORD(-1),
                           WINHTTP_ADDREQ_FLAG_ADD);
  if (!WinHttpSendRequest(ex.request->h, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
      !WinHttpReceiveResponse(ex.request->h, nullptr)) {
    error = Format(L"No internet connection, or %ls couldn't be reached (error %lu).", host, GetLastError());
    return false;
  }
  DWORD bytes = sizeof(ex.status);
  if (!WinHttpQueryHeaders(ex.request->h, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                           WINHTTP_HEADER_NAME_BY_INDEX, &ex.status, &bytes, WINHTTP_NO_HEADER_INDEX))
    ex.status = 0;
  return true;
}

// The Location of a redirect, made absolute against the address asked for.
std::wstring RedirectTarget(HINTERNET request, const std::wstring& from) {
  wchar_t location[2400] = {};
  DWORD bytes = sizeof(location) - sizeof(wchar_t);
  if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_LOCATION, WINHTTP_HEADER_NAME_BY_INDEX, location, &bytes,
                           WINHTTP_NO_HEADER_INDEX))
    return std::wstring();
  std::wstring target = location;
  if (target.find(L"://") != std::wstring::npos) return target;
  // A path on the same server.
  const size_t hostStart = from.find(L"://");
  if (hostStart == std::wstring::npos || target.empty() || target[0] != L'/') return std::wstring();
  const size_t pathStart = from.find(L'/', hostStart + 3);
  return from.substr(0, pathStart) + target;
}

}  // namespace

std::wstring UpdateFeedAddress() {
  UniqueRegKey key = OpenRegistryKey(HKEY_LOCAL_MACHINE, kPolicyKey, KEY_READ | KEY_WOW64_64KEY);
  std::wstring address;
  if (key && ReadRegistryText(key.Get(), L"UpdateFeed", 2 * kUrlChars, address) &&
      StartsWithNoCase(address, L"https://"))
    return address;
  return kBuiltInFeed;
}

bool HttpGet(const std::wstring& url, const HttpTarget& target, const std::atomic<bool>& cancel, std::wstring& error) {
  error.clear();
  const std::wstring agent = std::wstring(L"Folivex/") + kRunningVersion;
  HINTERNET s = WinHttpOpen(agent.c_str(), WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY, WINHTTP_NO_PROXY_NAME,
                            WINHTTP_NO_PROXY_BYPASS, 0);
  if (!s)
    s = WinHttpOpen(agent.c_str(), WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS,
                    0);
  if (!s) {
    error = Format(L"Couldn't start an internet connection (error %lu).", GetLastError());
    return false;
  }
  InternetHandle session(s);
  WinHttpSetTimeouts(session.h, 15000, 15000, 20000, 60000);

  // Every address on the way, the first and each redirect's, must be HTTPS.
  Exchange ex;
  std::wstring address = url;
  for (int hop = 0;; ++hop) {
    if (!Send(session.h, address, ex, error)) return false;
    const bool redirect = ex.status == 301 || ex.status == 302 || ex.status == 303 || ex.status == 307 ||
                          ex.status == 308;
    if (!redirect) break;
    address = RedirectTarget(ex.request->h, address);
    if (hop >= kMostRedirects || address.empty()) {
      error = Format(L"The update server answered with error %lu.", ex.status);
      return false;
    }
  }
  HINTERNET request = ex.request->h;
  if (ex.status != 200) {
    error = Format(L"The update server answered with error %lu.", ex.status);
    return false;
  }
  if (cancel.load()) {
    error = L"Update cancelled.";
    return false;
  }

  std::vector<char> chunk(kChunk);
  std::string body;
  uint64_t total = 0;
  int lastPercent = -1;
  for (;;) {
    DWORD available = 0;
    if (!WinHttpQueryDataAvailable(request, &available)) {
      error = Format(L"The download was interrupted (error %lu).", GetLastError());
      return false;
    }
    if (available == 0) break;
    DWORD read = 0;
    if (!WinHttpReadData(request, chunk.data(), available < kChunk ? available : kChunk, &read)) {
      error = Format(L"The download was interrupted (error %lu).", GetLastError());
      return false;
    }
    if (read == 0) break;
    if (target.memory) {
      if (body.size() + read > target.limit) {
        error = L"The update information is too large.";
        return false;
      }
      body.append(chunk.data(), read);
    } else {
      DWORD written = 0;
      if (!WriteFile(target.file, chunk.data(), read, &written, nullptr) || written != read) {
        error = L"Couldn't save the download (disk full?).";
        return false;
      }
      total += read;
      if (target.expectedSize != 0 && target.progressWindow) {
        const int percent = DownloadPercent(total, target.expectedSize);
        if (percent != lastPercent) PostMessageW(target.progressWindow, kProgressMessage, WPARAM(percent), 0);
        lastPercent = percent;
      }
    }
    if (cancel.load()) {
      error = L"Update cancelled.";
      return false;
    }
  }
  if (target.memory) *target.memory = std::move(body);
  return true;
}
