#include "app/status_text.h"

#include <cmath>
#include <cwchar>

std::wstring StatusPageText(bool loaded, bool loading, int position, int count) {
  if (!loaded) return loading ? L"  Loading..." : L"  No document";
  wchar_t buf[128];
  std::swprintf(buf, 128, L"  Page %d of %d", position + 1, count);
  return buf;
}

std::wstring StatusZoomText(bool loaded, int zoomMode, double zoomPercent) {
  if (!loaded) return std::wstring();
  // Nearest whole percent, halves away from zero.
  long long rounded = std::llround(zoomPercent);
  const wchar_t* suffix = zoomMode == 0 ? L" (fit width)" : zoomMode == 1 ? L" (fit page)" : L"";
  wchar_t buf[128];
  std::swprintf(buf, 128, L"  Zoom %lld%%%ls", rounded, suffix);
  return buf;
}

std::wstring StatusRotationText(bool loaded, int rotation) {
  if (!loaded) return std::wstring();
  wchar_t buf[128];
  std::swprintf(buf, 128, L"  Rotation %d\u00B0", (rotation & 3) * 90);
  return buf;
}

std::wstring StatusMessageText(const std::wstring& message) {
  std::wstring text = L"  " + message;
  if (text.size() > kStatusMessageBuffer - 1) text.resize(kStatusMessageBuffer - 1);
  return text;
}

std::wstring TitleText(bool loaded, bool orderChanged, const std::wstring& displayName) {
  if (!loaded) return L"Folivex";
  return std::wstring(orderChanged ? L"* " : L"") + displayName + L" - Folivex";
}

