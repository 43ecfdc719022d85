#include "app/document.h"

#include <windows.h>

namespace {

void DeleteBitmap(void* bitmap) { DeleteObject(static_cast<HBITMAP>(bitmap)); }

}  // namespace

Document g_doc(DeleteBitmap);

void WipeText(std::wstring& secret) {
  if (!secret.empty()) SecureZeroMemory(secret.data(), secret.size() * sizeof(wchar_t));
  secret.clear();
}
