#include "doc/document.h"

#include <windows.h>

#include "base/dib.h"

namespace {

// A page picture the view lets go of is kept for the next one of its size.
void RetirePicture(void* bitmap) { RetirePictureDib(static_cast<HBITMAP>(bitmap)); }
void DeleteBitmap(void* bitmap) { DeleteObject(static_cast<HBITMAP>(bitmap)); }

}  // namespace

Document g_doc(RetirePicture, DeleteBitmap);
BusyFlags g_busy;

void WipeText(std::wstring& secret) {
  if (!secret.empty()) SecureZeroMemory(secret.data(), secret.size() * sizeof(wchar_t));
  secret.clear();
}
