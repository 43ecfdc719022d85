#include "share/mail_rules.h"

#include <cstdint>
#include <cwctype>

#include "share/compose.h"

namespace {

constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::wstring Base64(std::string_view bytes) {
  std::wstring out;
  size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    const uint32_t v = uint32_t(uint8_t(bytes[i])) << 16 | uint32_t(uint8_t(bytes[i + 1])) << 8 | uint8_t(bytes[i + 2]);
    for (int shift = 18; shift >= 0; shift -= 6) out += wchar_t(kBase64[(v >> shift) & 63]);
  }
  const size_t rest = bytes.size() - i;
  if (rest > 0) {
    uint32_t v = uint32_t(uint8_t(bytes[i])) << 16;
    if (rest == 2) v |= uint32_t(uint8_t(bytes[i + 1])) << 8;
    out += wchar_t(kBase64[(v >> 18) & 63]);
    out += wchar_t(kBase64[(v >> 12) & 63]);
    out += rest == 2 ? wchar_t(kBase64[(v >> 6) & 63]) : L'=';
    out += L'=';
  }
  return out;
}

// Encoded words of at most 75 characters each: 45 bytes of UTF-8 become 60
// characters of Base64, and a word never splits a character's bytes.
std::wstring EncodedWords(std::string_view utf8) {
  std::wstring out;
  size_t start = 0;
  while (start < utf8.size()) {
    size_t end = start + 45 < utf8.size() ? start + 45 : utf8.size();
    while (end < utf8.size() && end > start && (uint8_t(utf8[end]) & 0xC0) == 0x80) --end;
    if (!out.empty()) out += L' ';
    out += L"=?utf-8?B?" + Base64(utf8.substr(start, end - start)) + L"?=";
    start = end;
  }
  return out;
}

}  // namespace

std::wstring MailFromValue(std::wstring_view fromName, std::wstring_view fromAddress) {
  std::wstring address;
  for (wchar_t c : fromAddress)
    if (c >= 0x20 && c != 0x7F && c != L'<' && c != L'>') address += c;
  std::wstring name;
  bool ascii = true;
  for (wchar_t c : fromName) {
    const bool control = c < 0x20 || c == 0x7F || c == 0x2028 || c == 0x2029 || c == 0x85;
    name += control ? L' ' : c;
    if (!control && c > 0x7E) ascii = false;
  }
  if (TrimSpace(name).empty()) return address;
  if (!ascii) return EncodedWords(Utf8FromWide(name)) + L" <" + address + L">";
  std::wstring quoted = L"\"";
  for (wchar_t c : name) {
    if (c == L'"' || c == L'\\') quoted += L'\\';
    quoted += c;
  }
  return quoted + L"\" <" + address + L">";
}

std::wstring MailBodyText(std::wstring_view body) {
  std::wstring out;
  out.reserve(body.size() + body.size() / 16);
  for (wchar_t c : body) {
    if (c == L'\r') continue;
    if (c == L'\n') out += L'\r';
    out += c;
  }
  return out;
}

MailPort ParseMailPort(std::wstring_view text) {
  const std::wstring trimmed = TrimSpace(text);
  long value = 0;
  for (wchar_t c : trimmed) {
    if (c < L'0' || c > L'9') break;
    value = value * 10 + (c - L'0');
    if (value > 65536) value = 65536;  // stays out of range, never overflows
  }
  MailPort result;
  if (value > 0 && value <= 65535) result = {int(value), true};
  return result;
}

std::string QuenloJsonString(std::wstring_view text) {
  static const char kHex[] = "0123456789abcdef";
  std::string out = "\"";
  for (char ch : Utf8FromWide(text)) {
    const uint8_t b = uint8_t(ch);
    if (b == '"' || b == '\\') {
      out += '\\';
      out += char(b);
    } else if (b == '\n') {
      out += "\\n";
    } else if (b == '\r') {
    } else if (b == '\t') {
      out += "\\t";
    } else if (b < 0x20) {
      out += "\\u00";
      out += kHex[b >> 4];
      out += kHex[b & 15];
    } else {
      out += char(b);
    }
  }
  return out + "\"";
}

std::string QuenloRequest(std::wstring_view to, std::wstring_view body) {
  return "{\"from\":\"Folivex\",\"to\":" + QuenloJsonString(to) + ",\"body\":" + QuenloJsonString(body) + "}\n";
}

bool ConfirmsRecipient(std::wstring_view elementName, std::wstring_view recipientDigits,
                       std::wstring_view personName) {
  if (elementName.empty()) return false;
  const std::wstring_view last7 =
      recipientDigits.size() > 7 ? recipientDigits.substr(recipientDigits.size() - 7) : recipientDigits;
  std::wstring digits;
  for (wchar_t c : elementName)
    if (c >= L'0' && c <= L'9') digits += c;
  if (!last7.empty() && digits.size() <= 15 && digits.find(last7) != std::wstring::npos) return true;
  if (personName.empty() || elementName.size() > personName.size() + 40) return false;
  std::wstring hay, needle;
  for (wchar_t c : elementName) hay += wchar_t(std::towlower(c));
  for (wchar_t c : personName) needle += wchar_t(std::towlower(c));
  return hay.find(needle) != std::wstring::npos;
}

bool SameTypedText(std::wstring_view boxValue, std::wstring_view message) {
  auto strip = [](std::wstring_view t) {
    std::wstring out;
    for (wchar_t c : t)
      if (c != L'\r' && c != L'\n') out += c;
    return out;
  };
  return strip(boxValue) == strip(message);
}
