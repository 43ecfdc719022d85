#include "share/compose.h"

#include <cstdint>
#include <cwctype>

#include "base/utf8.h"

namespace {

constexpr const wchar_t* kMethodLabels[kShareMethodCount] = {
    L"Email", L"Text message", L"WhatsApp", L"Messenger", L"Microsoft Teams", L"Gmail (web)", L"Outlook.com (web)",
    L"Just copy it",
};

constexpr wchar_t kNoteBody[] =
    L"\n\nCheck out Folivex, a tiny PDF viewer for Windows 10 and 11. It's one small file with nothing to install, "
    L"opens PDFs instantly, and does the basics well: zoom, rotate sideways scans, and print all pages, the "
    L"current page or a range.\n\nDownload it here (no install needed, and it keeps itself up to date):\n";

// The services' own addresses; paths and queries follow.
constexpr wchar_t kWhatsAppAddress[] = L"https://wa.me";
constexpr wchar_t kMessengerShortAddress[] = L"https://m.me";
constexpr wchar_t kMessengerWebAddress[] = L"https://www.messenger.com";
constexpr wchar_t kTeamsAppScheme[] = L"msteams";
constexpr wchar_t kTeamsWebAddress[] = L"https://teams.microsoft.com";
constexpr wchar_t kGmailAddress[] = L"https://mail.google.com";
constexpr wchar_t kOutlookAddress[] = L"https://outlook.live.com";

bool IsUnreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
         c == '_' || c == '~';
}

wchar_t LowerCase(wchar_t c) { return static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c))); }

}  // namespace

const wchar_t* ShareMethodLabel(int method) {
  return method >= 0 && method < kShareMethodCount ? kMethodLabels[method] : L"";
}

ComposedMessage ComposeMessage(std::wstring_view name, int method, bool sendFile, std::wstring_view fileName,
                               std::wstring_view senderName, std::wstring_view downloadLink) {
  // The greeting uses the first word: everything before the first blank.
  const std::wstring_view word = name.substr(0, name.find(L' '));
  std::wstring greeting = word.empty() ? std::wstring(L"Hi,") : L"Hi " + std::wstring(word) + L",";
  ComposedMessage out;
  if (sendFile) {
    out.message = greeting + L"\n\n";
    if (method == kShareEmail)
      out.message += L"Here's " + std::wstring(fileName) + L" (attached).";
    else
      out.message += L"I'm sending you " + std::wstring(fileName) + L".";
    out.subject = fileName;
  } else {
    out.message = greeting + kNoteBody + std::wstring(downloadLink);
    out.subject = kNoteSubject;
  }
  if (!senderName.empty()) out.message += L"\n\n" + std::wstring(senderName);
  return out;
}

std::string Utf8FromWide(std::wstring_view text) {
  std::string out;
  out.reserve(text.size() * 3);
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t cp = static_cast<uint32_t>(text[i]);
    if constexpr (sizeof(wchar_t) == 2) {
      if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size()) {
        const uint32_t low = static_cast<uint32_t>(text[i + 1]);
        if (low >= 0xDC00 && low <= 0xDFFF) {
          cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
          ++i;
        }
      }
    }
    if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) cp = 0xFFFD;
    AppendUtf8(out, cp);
  }
  return out;
}

std::wstring PercentEncode(std::wstring_view text) {
  static const wchar_t kHex[] = L"0123456789ABCDEF";
  const std::string bytes = Utf8FromWide(text);
  std::wstring out;
  out.reserve(bytes.size() * 3);
  for (unsigned char c : bytes) {
    if (IsUnreserved(c)) {
      out += wchar_t(c);
    } else if (c == '\n') {
      out += L"%0A";
    } else if (c != '\r') {
      out += L'%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

std::wstring NormaliseMobile(std::wstring_view text) {
  bool international = false;
  std::wstring digits;
  for (wchar_t c : text) {
    if (c == L'+' && digits.empty())
      international = true;
    else if (c >= L'0' && c <= L'9')
      digits += c;
  }
  if (international) return digits.size() >= 8 ? digits : std::wstring();
  if (digits.size() == 10) return L"1" + digits;
  if (digits.size() == 11 && digits[0] == L'1') return digits;
  return std::wstring();
}

std::wstring MessengerHandle(std::wstring_view text) {
  const size_t id = text.find(L"id=");
  if (id != std::wstring_view::npos) {
    std::wstring_view rest = text.substr(id + 3);
    return std::wstring(rest.substr(0, rest.find(L'&')));
  }
  std::wstring_view path = text.substr(0, text.find(L'?'));
  while (!path.empty() && path.back() == L'/') path.remove_suffix(1);
  const size_t slash = path.rfind(L'/');
  if (slash != std::wstring_view::npos) path = path.substr(slash + 1);
  return std::wstring(path);
}

std::wstring ChatLink(int method, std::wstring_view email, std::wstring_view mobileDigits, std::wstring_view handle,
                      bool messengerGiven, std::wstring_view subject, std::wstring_view message) {
  switch (method) {
    case kShareWhatsApp:
      return std::wstring(kWhatsAppAddress) + L"/" + std::wstring(mobileDigits) + L"?text=" + PercentEncode(message);
    case kShareMessenger:
      if (!messengerGiven) return std::wstring(kMessengerWebAddress) + L"/new";
      return std::wstring(kMessengerShortAddress) + L"/" + PercentEncode(handle) + L"?text=" +
             PercentEncode(message);
    case kShareTeams:
      return std::wstring(kTeamsAppScheme) + L":/l/chat/0/0?users=" + PercentEncode(email) + L"&message=" +
             PercentEncode(message);
    case kShareGmail:
      return std::wstring(kGmailAddress) + L"/mail/?view=cm&fs=1&to=" + PercentEncode(email) + L"&su=" +
             PercentEncode(subject) + L"&body=" + PercentEncode(message);
    case kShareOutlook:
      return std::wstring(kOutlookAddress) + L"/mail/0/deeplink/compose?to=" + PercentEncode(email) +
             L"&subject=" + PercentEncode(subject) + L"&body=" + PercentEncode(message);
    default:
      return std::wstring();
  }
}

std::wstring TeamsWebLink(std::wstring_view email, std::wstring_view message) {
  return std::wstring(kTeamsWebAddress) + L"/l/chat/0/0?users=" + PercentEncode(email) + L"&message=" +
         PercentEncode(message);
}

std::wstring TrimSpace(std::wstring_view text) {
  size_t begin = 0, end = text.size();
  while (begin < end && std::iswspace(static_cast<wint_t>(text[begin]))) ++begin;
  while (end > begin && std::iswspace(static_cast<wint_t>(text[end - 1]))) --end;
  return std::wstring(text.substr(begin, end - begin));
}

int CompareNoCase(std::wstring_view a, std::wstring_view b) {
  const size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    const wchar_t x = LowerCase(a[i]), y = LowerCase(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool EqualNoCase(std::wstring_view a, std::wstring_view b) { return a.size() == b.size() && CompareNoCase(a, b) == 0; }
