// The saved people's stored form and the list rules.
#include "share/contact_list.h"

#include <gtest/gtest.h>

namespace {

std::wstring Names(const ContactList& list) {
  std::wstring names;
  for (const Contact& c : list) names += c.name + L";";
  return names;
}

TEST(ContactList, LoadsWellFormedRecordsSortedIgnoringCase) {
  // dave, a record of three fields, bob, a record without a name, Carl with a
  // fifth field.
  const std::wstring stored = L"dave\x1f" L"d@x\x1f" L"1\x1f" L"dv\x1e"
                              L"eve\x1f" L"e@x\x1f" L"2\x1e"
                              L"bob\x1f\x1f\x1f\x1e"
                              L"\x1f" L"n@x\x1f\x1f\x1e"
                              L"Carl\x1f" L"c@x\x1f" L"3\x1f" L"cm\x1f" L"extra";
  ContactList list = ParseContacts(stored);
  EXPECT_EQ(Names(list), L"bob;Carl;dave;");
  EXPECT_EQ(list[1].messengerName, L"cm");
  EXPECT_EQ(list[2].email, L"d@x");
  // Stored again, the dropped records are gone and the order is the list's.
  EXPECT_EQ(ContactsText(list), L"bob\x1f\x1f\x1f\x1e" L"Carl\x1f" L"c@x\x1f" L"3\x1f" L"cm\x1e"
                                L"dave\x1f" L"d@x\x1f" L"1\x1f" L"dv");
  EXPECT_TRUE(ParseContacts(L"").empty());
  EXPECT_EQ(ContactsText(ContactList()), L"");
}

TEST(ContactList, RememberingANameInAnyCaseUpdatesThatPerson) {
  ContactList list = ParseContacts(L"ann\x1f" L"old@x\x1f" L"1\x1f" L"a");
  RememberContact(list, {L"Ann", L"new@x", L"(973) 555-1234", L""});
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].name, L"ann");
  EXPECT_EQ(list[0].email, L"new@x");
  EXPECT_EQ(list[0].mobile, L"(973) 555-1234");
  EXPECT_EQ(list[0].messengerName, L"");
  RememberContact(list, {L"Aaron", L"", L"5", L""});
  EXPECT_EQ(Names(list), L"Aaron;ann;");
  EXPECT_EQ(FindContact(list, L"ANN"), 1);
  EXPECT_EQ(FindContact(list, L"An"), -1);
  EXPECT_EQ(FindContact(list, L"ann "), -1);
}

}  // namespace
