#include "share/mail_password.h"

#include <windows.h>

#include <dpapi.h>

#include <vector>

#include "doc/settings.h"

void StorePassword(const std::wstring& text) {
  if (text.empty()) {
    DeleteSettingValue(SettingName::MailPassword);
    return;
  }
  DATA_BLOB plain = {DWORD(text.size() * sizeof(wchar_t)),
                     reinterpret_cast<BYTE*>(const_cast<wchar_t*>(text.data()))};
  DATA_BLOB sealed = {};
  if (!CryptProtectData(&plain, L"Folivex mail password", nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN,
                        &sealed))
    return;
  WriteSettingBinary(SettingName::MailPassword, sealed.pbData, sealed.cbData);
  LocalFree(sealed.pbData);
}

std::wstring ReadPassword() {
  std::vector<uint8_t> stored;
  if (!ReadSettingBinary(SettingName::MailPassword, stored) || stored.empty()) return std::wstring();
  DATA_BLOB sealed = {DWORD(stored.size()), stored.data()};
  DATA_BLOB plain = {};
  if (!CryptUnprotectData(&sealed, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &plain))
    return std::wstring();
  std::wstring text(reinterpret_cast<const wchar_t*>(plain.pbData), plain.cbData / sizeof(wchar_t));
  SecureZeroMemory(plain.pbData, plain.cbData);
  LocalFree(plain.pbData);
  return text;
}
