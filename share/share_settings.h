// What sharing keeps in the registry and in memory: the saved people, the
// download link, the sender's name, the mail server values the Send window
// shows, and the user's last choices of what to send and how. UI thread
// only.
#pragma once
#include <windows.h>

#include <string>

#include "share/contact_list.h"

// The public download page, sent in the note and copied by Copy Link when
// ShareLink isn't set.
inline constexpr wchar_t kDefaultShareLink[] = L"https://www.corvane.com/folivex/download/";

// The outgoing mail server, as stored under the Mail... values.
struct MailSettings {
  std::wstring server;
  int port = 465;
  bool useSsl = true;
  std::wstring user;
  std::wstring fromName;
  std::wstring fromAddress;
  // Email can go once the server and the sender's address are known.
  bool SetUp() const { return !server.empty() && !fromAddress.empty(); }
};

struct ShareSettings {
  std::wstring shareLink = kDefaultShareLink;
  // The mail From name when there is one, else ShareYourName.
  std::wstring senderName;
  MailSettings mail;
};
extern ShareSettings g_shareSettings;

// The choices the Send window remembers, and its runtime state.
struct ShareState {
  int method = 0;        // ShareMethod 0..7
  bool sendPdf = true;   // the user chose the PDF rather than the note
  bool phoneLinkAutoSend = true;
  bool messageEdited = false;  // typed in Subject or Message since the last composition
  bool composing = false;      // the program itself is writing Subject and Message
  bool sending = false;        // an email or text job is running
  HWND window = nullptr;       // the Send window
  HWND statusLine = nullptr;   // its status line
};
extern ShareState g_share;

// The saved people, sorted by name ignoring case.
extern ContactList g_contacts;

// Start-up: ShareLink, the mail server values and the sender's name, then
// the saved people.
void LoadShareSettings();
// Start-up: ShareVia, ShareWhat and PhoneLinkAutoSend.
void LoadShareChoices();

// Replaces g_contacts with the stored list (empty when there is none or it
// can't be read; malformed records are skipped).
void LoadContacts();
// Writes g_contacts as Contacts. A failed write is not reported.
void StoreContacts();

// The list changes only through these two. Another window may have changed
// the stored list since this one read it, so each reads it again, makes its
// one change and stores it; g_contacts is then the stored list.
//
// Remembers the person (see RememberContact).
void RememberPerson(const Contact& person);
// Removes the person whose name equals `name` ignoring case; false when
// there is none.
bool ForgetPerson(const std::wstring& name);
