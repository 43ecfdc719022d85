#include "update/feed.h"

#include <cstring>
#include <string_view>

#include "base/utf8.h"

namespace {

bool IsBlank(unsigned char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

int HexDigit(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Four hexadecimal digits at p (which has at least `left` bytes), or -1.
long Hex4(const unsigned char* p, size_t left) {
  if (left < 4) return -1;
  long v = 0;
  for (int i = 0; i < 4; ++i) {
    int d = HexDigit(p[i]);
    if (d < 0) return -1;
    v = v * 16 + d;
  }
  return v;
}

void AppendWide(std::wstring& out, unsigned long cp) {
  if (sizeof(wchar_t) == 2 && cp >= 0x10000) {
    cp -= 0x10000;
    out += wchar_t(0xD800 + (cp >> 10));
    out += wchar_t(0xDC00 + (cp & 0x3FF));
  } else {
    out += wchar_t(cp);
  }
}

// Strict UTF-8 to wide text: every malformed sequence, overlong form,
// surrogate or value above U+10FFFF becomes U+FFFD. Stops at a zero byte.
std::wstring FromUtf8(std::string_view bytes) {
  std::wstring out;
  out.reserve(bytes.size());
  size_t i = 0;
  while (i < bytes.size()) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c == 0) break;
    if (c < 0x80) {
      out += wchar_t(c);
      ++i;
      continue;
    }
    int extra = c >= 0xF0 && c <= 0xF4 ? 3 : c >= 0xE0 ? 2 : c >= 0xC2 && c < 0xE0 ? 1 : -1;
    if (c > 0xF4) extra = -1;
    if (extra < 0) {
      out += wchar_t(0xFFFD);
      ++i;
      continue;
    }
    unsigned long cp = c & (0x3F >> extra);
    size_t j = 1;
    for (; j <= size_t(extra); ++j) {
      if (i + j >= bytes.size()) break;
      const unsigned char t = static_cast<unsigned char>(bytes[i + j]);
      if ((t & 0xC0) != 0x80) break;
      cp = (cp << 6) | (t & 0x3F);
    }
    if (j <= size_t(extra)) {  // cut short: the bytes read so far are one bad sequence
      out += wchar_t(0xFFFD);
      i += j;
      continue;
    }
    i += j;
    const bool overlong = (extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000);
    if (overlong || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      out += wchar_t(0xFFFD);
      continue;
    }
    AppendWide(out, cp);
  }
  return out;
}

// Keeps at most capacity - 1 characters, never half a surrogate pair.
void CutTo(std::wstring& text, size_t capacity) {
  const size_t keep = capacity == 0 ? 0 : capacity - 1;
  if (text.size() <= keep) return;
  text.resize(keep);
  if (sizeof(wchar_t) == 2 && !text.empty() && text.back() >= 0xD800 && text.back() <= 0xDBFF) text.pop_back();
}

// One "%d" as the C library reads it: blanks, an optional sign, digits.
bool ReadDecimal(const std::wstring& s, size_t& pos, long long& value) {
  size_t p = pos;
  while (p < s.size() && (s[p] == L' ' || (s[p] >= L'\t' && s[p] <= L'\r'))) ++p;
  bool negative = false;
  if (p < s.size() && (s[p] == L'+' || s[p] == L'-')) negative = s[p++] == L'-';
  const size_t digits = p;
  long long v = 0;
  while (p < s.size() && s[p] >= L'0' && s[p] <= L'9') {
    if (v < 100000000000LL) v = v * 10 + (s[p] - L'0');
    ++p;
  }
  if (p == digits) return false;
  value = negative ? -v : v;
  pos = p;
  return true;
}

void VersionParts(const std::wstring& s, long long parts[4]) {
  size_t pos = 0;
  for (int i = 0; i < 4; ++i) parts[i] = 0;
  for (int i = 0; i < 4; ++i) {
    if (i > 0) {
      if (pos >= s.size() || s[pos] != L'.') return;
      ++pos;
    }
    if (!ReadDecimal(s, pos, parts[i])) return;
  }
}

}  // namespace

bool JsonValue(const char* document, const char* key, std::wstring& out, size_t capacity) {
  out.clear();
  if (!document || !key || capacity == 0) return false;
  const size_t keyLength = std::strlen(key);
  if (keyLength + 2 > 63) return false;
  std::string pattern = "\"";
  pattern += key;
  pattern += '"';
  const char* hit = std::strstr(document, pattern.c_str());
  if (!hit) return false;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(hit + pattern.size());
  while (IsBlank(*p)) ++p;
  if (*p != ':') return false;
  ++p;
  while (IsBlank(*p)) ++p;

  std::string bytes;
  if (*p == '"') {
    ++p;
    const size_t most = capacity * 4;
    const size_t rest = std::strlen(reinterpret_cast<const char*>(p));
    const unsigned char* end = p + rest;
    while (p < end && *p != '"' && bytes.size() < most) {
      if (*p != '\\') {
        bytes += char(*p++);
        continue;
      }
      if (p + 1 == end) {  // a backslash as the document's last byte
        bytes += '\\';
        ++p;
        break;
      }
      const unsigned char e = p[1];
      p += 2;
      if (e == 'n') {
        bytes += '\n';
      } else if (e == 't') {
        bytes += '\t';
      } else if (e == 'r') {
        // nothing
      } else if (e == 'u' && Hex4(p, size_t(end - p)) >= 0) {
        unsigned long cp = static_cast<unsigned long>(Hex4(p, size_t(end - p)));
        p += 4;
        if (cp >= 0xD800 && cp <= 0xDBFF && end - p >= 6 && p[0] == '\\' && p[1] == 'u' &&
            Hex4(p + 2, size_t(end - p - 2)) >= 0) {
          const unsigned long low = static_cast<unsigned long>(Hex4(p + 2, size_t(end - p - 2)));
          cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
          p += 6;
        }
        AppendUtf8(bytes, cp);
      } else {
        bytes += char(e);
      }
    }
  } else {
    while (*p && *p != '\n' && *p != '\r' && *p != ' ' && *p != ',' && *p != '}' && bytes.size() < capacity)
      bytes += char(*p++);
  }
  out = FromUtf8(bytes);
  CutTo(out, capacity);
  return true;
}

int CompareVersions(const std::wstring& a, const std::wstring& b) {
  long long x[4], y[4];
  VersionParts(a, x);
  VersionParts(b, y);
  for (int i = 0; i < 4; ++i)
    if (x[i] != y[i]) return x[i] < y[i] ? -1 : 1;
  return 0;
}

uint32_t FeedSize(const std::wstring& text) {
  size_t p = 0;
  while (p < text.size() && (text[p] == L' ' || (text[p] >= L'\t' && text[p] <= L'\r'))) ++p;
  uint64_t v = 0;
  while (p < text.size() && text[p] >= L'0' && text[p] <= L'9') {
    v = v * 10 + uint64_t(text[p] - L'0');
    if (v > 0xFFFFFFFFull) v = 0xFFFFFFFFull;
    ++p;
  }
  return uint32_t(v);
}

bool IsPlainVersion(const std::wstring& version) {
  bool digit = false;
  for (wchar_t c : version) {
    if (c >= L'0' && c <= L'9') {
      digit = true;
    } else if (c != L'.') {
      return false;
    }
  }
  return digit;
}

void ReadFeed(const char* document, UpdateInfo& info) {
  std::wstring size, setupSize;
  JsonValue(document, "version", info.version, kVersionChars);
  JsonValue(document, "exe", info.exeUrl, kUrlChars);
  JsonValue(document, "sha256", info.exeSha256, kSha256Chars);
  JsonValue(document, "notes", info.notes, kNotesChars);
  JsonValue(document, "size", size, kSizeChars);
  info.exeSize = FeedSize(size);
  JsonValue(document, "setup", info.setupUrl, kUrlChars);
  JsonValue(document, "setup_sha256", info.setupSha256, kSha256Chars);
  info.setupSize = JsonValue(document, "setup_size", setupSize, kSizeChars) ? FeedSize(setupSize) : 0;
  info.ok = !info.version.empty() && !info.exeUrl.empty() && info.exeSha256.size() == 64;
  if (!info.ok) {
    info.errorText = kFeedIncomplete;
  } else if (!IsPlainVersion(info.version)) {
    info.ok = false;
    info.errorText = kFeedBadVersion;
  } else {
    info.errorText.clear();
  }
}
