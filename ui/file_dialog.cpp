#include "ui/file_dialog.h"

#include <commdlg.h>

namespace {

constexpr DWORD kOpenPathChars = 1040;

}  // namespace

std::wstring PickPdfFile(HWND owner, const wchar_t* title) {
  std::wstring file(kOpenPathChars, L'\0');
  OPENFILENAMEW ofn = {};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = L"PDF files (*.pdf)\0*.pdf\0All files (*.*)\0*.*\0";
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = kOpenPathChars;
  ofn.lpstrTitle = title;
  ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  if (!GetOpenFileNameW(&ofn)) return std::wstring();
  file.resize(wcsnlen(file.c_str(), kOpenPathChars));
  return file;
}
