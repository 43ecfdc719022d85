#include "share/contact_list.h"

#include <algorithm>

#include "share/compose.h"

namespace {

// The pieces of a text between separators; consecutive separators give
// empty pieces.
std::vector<std::wstring_view> Split(std::wstring_view text, wchar_t separator) {
  std::vector<std::wstring_view> pieces;
  size_t start = 0;
  for (;;) {
    const size_t at = text.find(separator, start);
    if (at == std::wstring_view::npos) {
      pieces.push_back(text.substr(start));
      return pieces;
    }
    pieces.push_back(text.substr(start, at - start));
    start = at + 1;
  }
}

}  // namespace

ContactList ParseContacts(std::wstring_view stored) {
  ContactList list;
  if (stored.empty()) return list;
  for (std::wstring_view record : Split(stored, kRecordSeparator)) {
    std::vector<std::wstring_view> fields = Split(record, kFieldSeparator);
    if (fields.size() < 4 || fields[0].empty()) continue;
    list.push_back({std::wstring(fields[0]), std::wstring(fields[1]), std::wstring(fields[2]),
                    std::wstring(fields[3])});
  }
  SortContacts(list);
  return list;
}

std::wstring ContactsText(const ContactList& list) {
  std::wstring text;
  for (size_t i = 0; i < list.size(); ++i) {
    if (i > 0) text += kRecordSeparator;
    const Contact& c = list[i];
    text += c.name + kFieldSeparator + c.email + kFieldSeparator + c.mobile + kFieldSeparator + c.messengerName;
  }
  return text;
}

void SortContacts(ContactList& list) {
  std::stable_sort(list.begin(), list.end(),
                   [](const Contact& a, const Contact& b) { return CompareNoCase(a.name, b.name) < 0; });
}

int FindContact(const ContactList& list, std::wstring_view name) {
  for (size_t i = 0; i < list.size(); ++i)
    if (EqualNoCase(list[i].name, name)) return int(i);
  return -1;
}

void RememberContact(ContactList& list, const Contact& person) {
  const int found = FindContact(list, person.name);
  if (found >= 0) {
    Contact& c = list[size_t(found)];
    c.email = person.email;
    c.mobile = person.mobile;
    c.messengerName = person.messengerName;
  } else {
    list.push_back(person);
  }
  SortContacts(list);
}
