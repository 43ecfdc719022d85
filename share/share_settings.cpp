#include "share/share_settings.h"

#include <vector>

#include "base/handles.h"
#include "base/win_util.h"
#include "doc/settings.h"

ShareSettings g_shareSettings;
ShareState g_share;
ContactList g_contacts;

namespace {

// The whole Contacts text, however long it is; false when it can't be had.
bool ReadContactsText(std::wstring& text) {
  UniqueRegKey key = OpenRegistryKey(HKEY_CURRENT_USER, kSettingsKeyPath, KEY_READ);
  if (!key) return false;
  // Another window may store a longer list between asking the size and
  // reading; then ask again.
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key.Get(), SettingName::Contacts, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ || size == 0)
      return false;
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 2, L'\0');
    DWORD got = size;
    LSTATUS rc = RegQueryValueExW(key.Get(), SettingName::Contacts, nullptr, &type,
                                  reinterpret_cast<BYTE*>(buffer.data()), &got);
    if (rc == ERROR_MORE_DATA) continue;
    if (rc != ERROR_SUCCESS || type != REG_SZ) return false;
    buffer[got / sizeof(wchar_t)] = L'\0';
    text.assign(buffer.data());  // up to the first terminator
    return true;
  }
  return false;
}

}  // namespace

void LoadShareSettings() {
  ShareSettings& s = g_shareSettings;
  s.shareLink = ReadSettingText(SettingName::ShareLink, kDefaultShareLink);
  s.mail.server = ReadSettingText(SettingName::MailServer, L"");
  s.mail.port = LoadNumberSetting(SettingName::MailPort);
  s.mail.useSsl = LoadNumberSetting(SettingName::MailSSL) != 0;
  s.mail.user = ReadSettingText(SettingName::MailUser, L"");
  s.mail.fromName = ReadSettingText(SettingName::MailFromName, L"");
  s.mail.fromAddress = ReadSettingText(SettingName::MailFromAddress, L"");
  s.senderName = !s.mail.fromName.empty() ? s.mail.fromName : ReadSettingText(SettingName::ShareYourName, L"");
  LoadContacts();
}

void LoadShareChoices() {
  g_share.method = LoadNumberSetting(SettingName::ShareVia);
  g_share.sendPdf = LoadNumberSetting(SettingName::ShareWhat) == 0;
  g_share.phoneLinkAutoSend = LoadNumberSetting(SettingName::PhoneLinkAutoSend) != 0;
}

void LoadContacts() {
  std::wstring text;
  g_contacts = ReadContactsText(text) ? ParseContacts(text) : ContactList();
}

void StoreContacts() { WriteSettingText(SettingName::Contacts, ContactsText(g_contacts)); }

void RememberPerson(const Contact& person) {
  LoadContacts();
  RememberContact(g_contacts, person);
  StoreContacts();
}

bool ForgetPerson(const std::wstring& name) {
  LoadContacts();
  const int found = FindContact(g_contacts, name);
  if (found < 0) return false;
  g_contacts.erase(g_contacts.begin() + found);
  StoreContacts();
  return true;
}
