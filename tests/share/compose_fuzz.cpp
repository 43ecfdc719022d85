// Random names, numbers, Messenger names and messages through the
// composition and every link way. Nothing may crash (the sanitizers
// watch), every link must be a well-formed address, and the encoding must
// decode back to the text's UTF-8 without its carriage returns.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "share/compose.h"

namespace {

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "sharing rule broken: %s\n", what);
    std::abort();
  }
}

// Wide text from the fuzzer's bytes: mostly small characters, now and then
// any 16- or 21-bit value (surrogates included).
std::wstring Text(FuzzedDataProvider& in) {
  std::wstring text;
  const size_t length = in.ConsumeIntegralInRange<size_t>(0, 64);
  for (size_t i = 0; i < length && in.remaining_bytes() > 0; ++i) {
    const uint8_t kind = in.ConsumeIntegral<uint8_t>();
    uint32_t c;
    if (kind < 160)
      c = kind < 128 ? kind : uint32_t(in.ConsumeIntegralInRange<int>(0, 127));
    else if (kind < 240)
      c = in.ConsumeIntegral<uint16_t>();
    else
      c = in.ConsumeIntegralInRange<uint32_t>(0, sizeof(wchar_t) == 2 ? 0xFFFF : 0x10FFFF);
    text += wchar_t(c);
  }
  return text;
}

bool IsHex(wchar_t c) { return (c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'F'); }

bool IsUnreserved(wchar_t c) {
  return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9') || c == L'-' ||
         c == L'.' || c == L'_' || c == L'~';
}

// The encoded text holds only unreserved characters and %XX escapes, and
// decodes to the UTF-8 of the text without carriage returns.
void CheckEncoding(const std::wstring& text) {
  const std::wstring encoded = PercentEncode(text);
  std::string decoded;
  for (size_t i = 0; i < encoded.size(); ++i) {
    const wchar_t c = encoded[i];
    if (c == L'%') {
      Check(i + 2 < encoded.size(), "escape complete");
      Check(IsHex(encoded[i + 1]) && IsHex(encoded[i + 2]), "escape of two upper-case hex digits");
      const auto value = [](wchar_t h) { return h <= L'9' ? h - L'0' : h - L'A' + 10; };
      decoded += char(value(encoded[i + 1]) * 16 + value(encoded[i + 2]));
      i += 2;
    } else {
      Check(IsUnreserved(c), "only unreserved characters stay as they are");
      decoded += char(c);
    }
  }
  std::wstring withoutCr;
  for (wchar_t c : text)
    if (c != L'\r') withoutCr += c;
  Check(decoded == Utf8FromWide(withoutCr), "decodes to the text's UTF-8");
}

// A link: one of the services' own beginnings, then only characters of a
// URL's path and query, and escapes.
void CheckLink(const std::wstring& link, int method) {
  static const wchar_t* const kStarts[] = {L"https://wa.me/", L"https://m.me/", L"https://www.messenger.com/new",
                                           L"msteams:/l/chat/0/0?users=",
                                           L"https://teams.microsoft.com/l/chat/0/0?users=",
                                           L"https://mail.google.com/mail/?view=cm&fs=1&to=",
                                           L"https://outlook.live.com/mail/0/deeplink/compose?to="};
  bool known = false;
  for (const wchar_t* start : kStarts) known = known || link.rfind(start, 0) == 0;
  Check(known, "link begins with a service address");
  for (size_t i = 0; i < link.size(); ++i) {
    const wchar_t c = link[i];
    if (c == L'%') {
      Check(i + 2 < link.size() && IsHex(link[i + 1]) && IsHex(link[i + 2]), "escape in link");
      continue;
    }
    Check(IsUnreserved(c) || c == L':' || c == L'/' || c == L'?' || c == L'=' || c == L'&', "URL character");
  }
  // The query has exactly the parameters of the way, nothing smuggled in.
  size_t ampersands = 0;
  for (wchar_t c : link) ampersands += c == L'&';
  const size_t expected[] = {0, 0, 0, 0, 1, 4, 2};
  if (method >= kShareWhatsApp && method <= kShareOutlook) Check(ampersands == expected[method], "parameter count");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const std::wstring name = TrimSpace(Text(in)), email = Text(in), mobile = Text(in), messenger = Text(in);
  const std::wstring fileName = Text(in), sender = Text(in), link = Text(in);
  const int method = in.ConsumeIntegralInRange<int>(0, kShareMethodCount - 1);
  const bool sendFile = in.ConsumeBool();

  ComposedMessage m = ComposeMessage(name, method, sendFile, fileName, sender, link);
  Check(m.message.rfind(L"Hi", 0) == 0, "message starts with the greeting");
  if (!sender.empty()) Check(m.message.size() >= sender.size() + 2, "signature present");

  const std::wstring digits = NormaliseMobile(mobile);
  for (wchar_t c : digits) Check(c >= L'0' && c <= L'9', "number of digits only");
  Check(digits.empty() || digits.size() >= 8, "usable numbers have at least 8 digits");

  const std::wstring handle = MessengerHandle(messenger);
  Check(handle.size() <= messenger.size(), "handle is part of the name");

  for (const std::wstring& text : {name, email, messenger, m.subject, m.message}) CheckEncoding(text);
  for (int way = kShareWhatsApp; way <= kShareOutlook; ++way) {
    CheckLink(ChatLink(way, email, digits, handle, !messenger.empty(), m.subject, m.message), way);
  }
  CheckLink(TeamsWebLink(email, m.message), kShareTeams);
  return 0;
}
