// The saved people: the list the Send window offers in its To box and the
// text it is stored as. Platform-neutral; the registry access is in
// contacts.cpp.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct Contact {
  std::wstring name;  // never empty
  std::wstring email;
  std::wstring mobile;  // as the user typed it
  std::wstring messengerName;
};

// Kept sorted by name, ignoring case.
using ContactList = std::vector<Contact>;

// Between records and between the fields of a record.
inline constexpr wchar_t kRecordSeparator = L'\x1E';
inline constexpr wchar_t kFieldSeparator = L'\x1F';

// The list a stored text holds, sorted: records with fewer than four fields
// or an empty name are left out, fields after the fourth are ignored.
ContactList ParseContacts(std::wstring_view stored);
// The stored text of a list, in list order.
std::wstring ContactsText(const ContactList& list);
void SortContacts(ContactList& list);

// The index of the person whose name equals `name` ignoring case (whole
// text, the stored name untrimmed), or -1.
int FindContact(const ContactList& list, std::wstring_view name);

// Remembers a person: when the name is saved already (in any case), that
// entry takes the new email, mobile number and Messenger name and keeps its
// own spelling of the name; otherwise the person is added. The list is
// sorted again.
void RememberContact(ContactList& list, const Contact& person);
