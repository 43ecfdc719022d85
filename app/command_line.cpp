#include "app/command_line.h"

#include <cwchar>
#include <cwctype>

namespace {

wchar_t LowerAscii(wchar_t c) { return (c >= L'A' && c <= L'Z') ? wchar_t(c - L'A' + L'a') : c; }

bool EqualsNoCase(const std::wstring& a, const wchar_t* b) {
  size_t n = std::wcslen(b);
  if (a.size() != n) return false;
  for (size_t i = 0; i < n; ++i)
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  return true;
}

// The 1-based page number after /page, read the way atoi reads it: leading
// blanks and a sign allowed, digits until the first other character. Text
// without digits counts as 0, which becomes "no page asked for".
int PageIndexFrom(const std::wstring& text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == L' ' || text[i] == L'\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
  long long n = 0;
  for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
    n = n * 10 + (text[i] - L'0');
    if (n > 2147483647LL) return -1;  // not a page number any document has
  }
  if (negative) n = -n;
  if (n <= 0) return -1;
  return int(n - 1);
}

}  // namespace

bool ContainsNoCase(const std::wstring& haystack, const std::wstring& needle) {
  if (needle.empty()) return true;
  if (haystack.size() < needle.size()) return false;
  for (size_t i = 0; i + needle.size() <= haystack.size(); ++i) {
    size_t k = 0;
    while (k < needle.size() && LowerAscii(haystack[i + k]) == LowerAscii(needle[k])) ++k;
    if (k == needle.size()) return true;
  }
  return false;
}

bool ParseAtRect(const std::wstring& text, int& x, int& y, int& w, int& h) {
  int a = 0, b = 0, c = 0, d = 0;
  if (std::swscanf(text.c_str(), L"%d,%d,%d,%d", &a, &b, &c, &d) != 4) return false;
  if (c <= 200 || d <= 200) return false;
  x = a; y = b; w = c; h = d;
  return true;
}

CommandLineArgs ParseCommandLine(const std::wstring& wholeLine, const std::vector<std::wstring>& args) {
  CommandLineArgs r;
  r.forceWindowsEngine = ContainsNoCase(wholeLine, L"/winengine");
  for (size_t i = 1; i < args.size(); ++i) {
    const std::wstring& a = args[i];
    bool hasValue = i + 1 < args.size();
    if (EqualsNoCase(a, L"/winengine")) continue;
    if (hasValue && EqualsNoCase(a, L"/updated")) {
      r.updatedFrom = args[++i];
    } else if (hasValue && EqualsNoCase(a, L"/page")) {
      r.initialPage = PageIndexFrom(args[++i]);
    } else if (hasValue && EqualsNoCase(a, L"/at")) {
      int x, y, w, h;
      if (ParseAtRect(args[++i], x, y, w, h)) {
        r.atValid = true;
        r.atX = x; r.atY = y; r.atW = w; r.atH = h;
      }
    } else {
      r.path = a;
    }
  }
  return r;
}
