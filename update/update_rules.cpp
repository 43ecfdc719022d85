#include "update/update_rules.h"

#include "update/feed.h"

namespace {

wchar_t Lower(wchar_t c) { return c >= L'A' && c <= L'Z' ? wchar_t(c - L'A' + L'a') : c; }

bool SameNoCase(const std::wstring& a, const std::wstring& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

}  // namespace

int DownloadPercent(uint64_t done, uint64_t expected) {
  if (expected == 0) return 0;
  if (done >= expected) return 100;
  // done < expected, so done * 100 / expected < 100; split to stay in range.
  return int(done / expected * 100 + (done % expected) * 100 / expected);
}

std::wstring DownloadFileName(const std::wstring& tempFolder, const std::wstring& version, bool installed) {
  return tempFolder + (installed ? L"Folivex-Setup-" : L"Folivex-update-") + version + L".exe";
}

std::wstring HexDigest(const uint8_t digest[32]) {
  static const wchar_t kDigits[] = L"0123456789abcdef";
  std::wstring hex;
  for (int i = 0; i < 32; ++i) {
    hex += kDigits[digest[i] >> 4];
    hex += kDigits[digest[i] & 15];
  }
  return hex;
}

bool SameChecksum(const std::wstring& computed, const std::wstring& expected) {
  return computed.size() == 64 && SameNoCase(computed, expected);
}

bool ExpectedProduct(const std::wstring& productName, const std::wstring& productVersion, bool installer,
                     const std::wstring& feedVersion) {
  return SameNoCase(productName, installer ? L"Folivex Setup" : L"Folivex") &&
         CompareVersions(productVersion, feedVersion) == 0;
}

std::wstring InstallerParameters(bool forEveryone, std::wstring folder) {
  while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  return std::wstring(L"/S /UPDATE ") + (forEveryone ? L"/ALLUSERS" : L"/CURRENTUSER") + L" /D=" + folder;
}

std::wstring RestartArguments(const std::wstring& oldVersion, int pageFromOne, const std::wstring& path) {
  std::wstring args = L"/updated " + oldVersion;
  if (!path.empty()) args += L" /page " + std::to_wstring(pageFromOne) + L" \"" + path + L"\"";
  return args;
}

std::wstring NotesSummary(const std::wstring& notes) {
  size_t start = 0;
  while (start < notes.size() && (notes[start] == L' ' || notes[start] == L'*' || notes[start] == L'-' ||
                                  notes[start] == L'\u2022'))
    ++start;
  size_t end = notes.find(L'\n', start);
  std::wstring line = notes.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
  if (!line.empty() && line.back() == L'\r') line.pop_back();
  if (line.size() > 150) line.resize(150);
  return line;
}

std::wstring OfferText(const std::wstring& newVersion, const std::wstring& running, const std::wstring& notes) {
  return L"Folivex " + newVersion + L" is available (you have " + running + L").   " + NotesSummary(notes);
}

std::wstring DownloadingText(const std::wstring& newVersion, int percent) {
  return L"Downloading Folivex " + newVersion + L"\u2026 " + std::to_wstring(percent < 0 ? 0 : percent) +
         L"%   (Folivex will restart by itself when it's done)";
}
