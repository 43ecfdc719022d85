// The Phone Link path against a scripted stand-in for the app: what gets
// typed, when it stops, and what the user is told.
#include "share/phone_link_flow.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

// Phone Link as a few named elements. Typing goes into the focused box;
// `foregroundChecks` counts the InFront calls and `loseFrontAt` makes the
// n-th of them (1-based) and every later one report another window.
class ScriptedPhoneLink : public PhoneLinkUi {
 public:
  enum : Element { kNone, kMessagesTab, kNewMessage, kToBox, kMessageBox, kSend, kHeader };

  bool available = true;
  bool windowThere = true;
  int loseFrontAt = 0;
  int foregroundChecks = 0;
  std::wstring header = L"Ann Lee";
  std::map<Element, std::wstring> values;
  std::vector<std::wstring> batches;
  bool sendClicked = false;
  int waitedMs = 0;

  bool Available() override { return available; }
  bool FindWindow() override { return windowThere; }
  void Launch() override {}
  void Wait(int ms) override { waitedMs += ms; }
  void BringToFront() override {}
  bool InFront() override {
    ++foregroundChecks;
    return loseFrontAt == 0 || foregroundChecks < loseFrontAt;
  }
  bool ReadWindow() override { return true; }
  Element Find(const std::vector<std::wstring>& names, Kind kind, bool, Element except) override {
    for (const std::wstring& n : names) {
      if (n == L"Messages") return kMessagesTab;
      if (n == L"New message" && kind == Kind::Button) return kNewMessage;
      if (n == L"To" && kind == Kind::Edit) return kToBox;
      if (n == L"Send a message" && kind == Kind::Edit && except != kMessageBox) return kMessageBox;
      if (n == L"Send" && kind == Kind::Button) return kSend;
    }
    return kNone;
  }
  Element FocusedEmptyBox() override { return kNone; }
  void Click(Element e) override {
    if (e == kSend) {
      sendClicked = true;
      values[kMessageBox].clear();
    }
  }
  void Focus(Element e) override { focus_ = e; }
  std::wstring ValueOf(Element e) override { return values[e]; }
  std::vector<std::wstring> Names(Element) override { return {L"Messages", L"", header, L"Send"}; }
  void TypeBatch(std::wstring_view text) override {
    batches.emplace_back(text);
    // Phone Link shows a Shift+Enter as a line break of its own.
    for (wchar_t c : text) values[focus_] += c == L'\n' ? std::wstring(L"\r\n") : std::wstring(1, c);
  }
  void PressEnter() override {}

 private:
  Element focus_ = kNone;
};

const wchar_t kNumber[] = L"19735551234";

TEST(PhoneLinkFlow, TypesNumberAndMessageThenSends) {
  ScriptedPhoneLink app;
  const SendResult r = DrivePhoneLink(app, kNumber, L"Ann Lee", L"Hello Ann,\nthe file is coming.", true);
  EXPECT_TRUE(r.ok);
  EXPECT_FALSE(r.showBox);
  EXPECT_EQ(r.text, L"Text sent to +19735551234 through Phone Link.");
  EXPECT_TRUE(app.sendClicked);
  EXPECT_EQ(app.values[ScriptedPhoneLink::kToBox], L"+19735551234");
  // Every batch is at most kTypingBatch characters and was preceded by a
  // foreground check.
  for (const std::wstring& b : app.batches) EXPECT_LE(b.size(), kTypingBatch);
}

// The user clicks another window while the message is being typed: typing
// stops at once, Send isn't pressed, and the user is told why.
TEST(PhoneLinkFlow, LosingTheForegroundMidwayStopsTyping) {
  const std::wstring message = L"This message is long enough to need several batches of keystrokes.";
  ScriptedPhoneLink app;
  // Checks: 1 after bringing to front, 2-3 for the two batches of the
  // number, 4 before Enter, then one per message batch. The 7th fails.
  app.loseFrontAt = 7;
  const SendResult r = DrivePhoneLink(app, kNumber, L"Ann Lee", message, true);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.text, kPhoneLinkSafetyText);
  EXPECT_FALSE(app.sendClicked);
  EXPECT_EQ(app.values[ScriptedPhoneLink::kMessageBox], message.substr(0, 2 * kTypingBatch));

  ScriptedPhoneLink early;
  early.loseFrontAt = 2;  // before the first key of the number
  EXPECT_EQ(DrivePhoneLink(early, kNumber, L"", L"Hi", true).text, kPhoneLinkSafetyText);
  EXPECT_TRUE(early.batches.empty());
}

TEST(PhoneLinkFlow, ChecksBeforePressingSend) {
  {  // automatic Send off: typed and left for the user
    ScriptedPhoneLink app;
    const SendResult r = DrivePhoneLink(app, kNumber, L"Ann Lee", L"Hi", false);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.text, L"The text is ready in Phone Link \u2014 check it and press Send.");
    EXPECT_FALSE(app.sendClicked);
  }
  {  // nothing on screen names the person
    ScriptedPhoneLink app;
    app.header = L"Bob Stone";
    const SendResult r = DrivePhoneLink(app, kNumber, L"Ann Lee", L"Hi", true);
    EXPECT_TRUE(r.ok && r.showBox);
    EXPECT_NE(r.text.find(L"couldn't confirm who it's addressed to"), std::wstring::npos);
    EXPECT_FALSE(app.sendClicked);
  }
  {  // the To box already had something in it: nothing is typed
    ScriptedPhoneLink app;
    app.values[ScriptedPhoneLink::kToBox] = L"+1555";
    const SendResult r = DrivePhoneLink(app, kNumber, L"Ann Lee", L"Hi", true);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(app.batches.empty());
  }
  {  // no automation: the fallback message
    ScriptedPhoneLink app;
    app.available = false;
    EXPECT_EQ(DrivePhoneLink(app, kNumber, L"", L"Hi", true).text, L"Windows UI Automation isn't available.");
  }
  {  // Phone Link never opens: sixty looks, 250 ms apart
    ScriptedPhoneLink app;
    app.windowThere = false;
    const SendResult r = DrivePhoneLink(app, kNumber, L"", L"Hi", true);
    EXPECT_EQ(r.text, L"Phone Link didn't open. Is it installed and set up with your phone?");
    EXPECT_EQ(app.waitedMs, 60 * 250);
  }
}

}  // namespace
