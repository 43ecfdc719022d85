#include "share/phone_link_flow.h"

#include "share/mail_rules.h"

namespace {

SendResult Fail(const std::wstring& text) { return {false, false, text, {}}; }
SendResult Done(const std::wstring& text, bool showBox = false) { return {true, showBox, text, {}}; }

// Types the text in batches, checking before each that Phone Link is still
// the window the keystrokes go to. False when it stopped being in front.
bool TypeGuarded(PhoneLinkUi& ui, std::wstring_view text) {
  for (size_t at = 0; at < text.size(); at += kTypingBatch) {
    if (!ui.InFront()) return false;
    ui.TypeBatch(text.substr(at, kTypingBatch));
  }
  return true;
}

}  // namespace

SendResult DrivePhoneLink(PhoneLinkUi& ui, std::wstring_view recipientDigits, std::wstring_view name,
                          std::wstring_view message, bool autoSend) {
  using Kind = PhoneLinkUi::Kind;
  const std::wstring to = L"+" + std::wstring(recipientDigits);
  if (!ui.Available()) return Fail(L"Windows UI Automation isn't available.");
  if (!ui.FindWindow()) {
    ui.Launch();
    bool found = false;
    for (int attempt = 0; attempt < 60 && !found; ++attempt) {
      ui.Wait(250);
      found = ui.FindWindow();
    }
    if (!found) return Fail(L"Phone Link didn't open. Is it installed and set up with your phone?");
    ui.Wait(2500);
  }
  ui.BringToFront();
  ui.Wait(700);
  if (!ui.InFront()) return Fail(L"Folivex couldn't bring Phone Link to the front.");
  if (!ui.ReadWindow()) return Fail(L"Couldn't read the Phone Link window.");

  if (PhoneLinkUi::Element tab = ui.Find({L"Messages"}, Kind::Any, true, 0)) {
    ui.Click(tab);
    ui.Wait(1200);
  }
  PhoneLinkUi::Element newMessage =
      ui.Find({L"New message", L"New conversation", L"Start new conversation", L"Compose"}, Kind::Button, true, 0);
  if (!newMessage) newMessage = ui.Find({L"New message"}, Kind::Button, false, 0);
  if (!newMessage) return Fail(L"Couldn't find Phone Link's \"New message\" button. Is your phone connected in Phone Link?");
  ui.Click(newMessage);
  ui.Wait(1500);

  PhoneLinkUi::Element toBox = ui.FocusedEmptyBox();
  if (!toBox)
    toBox = ui.Find({L"To", L"Recipient", L"Recipients", L"Enter a name or number", L"Enter a name or phone number"},
                    Kind::Edit, true, 0);
  if (!toBox) return Fail(L"Couldn't find the \"To\" box in Phone Link.");
  if (!ui.ValueOf(toBox).empty())
    return Fail(L"Phone Link's \"To\" box already had something in it, so Folivex didn't touch it.");
  ui.Focus(toBox);
  ui.Wait(250);
  if (!TypeGuarded(ui, to)) return Fail(kPhoneLinkSafetyText);
  ui.Wait(1600);
  if (!ui.InFront()) return Fail(kPhoneLinkSafetyText);
  ui.PressEnter();
  ui.Wait(1200);

  PhoneLinkUi::Element box = ui.Find(
      {L"Send a message", L"Type a message", L"Enter a message", L"Type a text message", L"Message"}, Kind::Edit, true,
      toBox);
  if (!box) return Fail(L"Phone Link opened the new message, but Folivex couldn't find the message box. Nothing was sent.");
  if (!ui.ValueOf(box).empty())
    return Fail(L"Phone Link's message box already had text in it, so Folivex didn't type into it. Nothing was sent.");
  ui.Focus(box);
  ui.Wait(250);
  if (!TypeGuarded(ui, message)) return Fail(kPhoneLinkSafetyText);
  ui.Wait(700);

  if (!autoSend) return Done(L"The text is ready in Phone Link \u2014 check it and press Send.");
  if (!SameTypedText(ui.ValueOf(box), message))
    return Done(L"The text is typed in Phone Link, but it doesn't look exactly right, so Folivex didn't press Send. "
                L"Please check it and press Send yourself.",
                true);
  bool confirmed = false;
  for (const std::wstring& seen : ui.Names(box))
    if (ConfirmsRecipient(seen, recipientDigits, name)) {
      confirmed = true;
      break;
    }
  if (!confirmed)
    return Done(L"The text is typed in Phone Link, but Folivex couldn't confirm who it's addressed to, so it didn't "
                L"press Send. Please check the recipient and press Send yourself.",
                true);
  PhoneLinkUi::Element send = ui.Find({L"Send", L"Send message", L"Send text"}, Kind::Button, true, 0);
  if (!send)
    return Done(L"The text is typed in Phone Link, but Folivex couldn't find the Send button \u2014 please press Send "
                L"yourself.",
                true);
  if (!ui.InFront()) return Fail(kPhoneLinkSafetyText);
  ui.Click(send);
  ui.Wait(1500);
  if (!ui.ValueOf(box).empty())
    return Done(L"Folivex pressed Send in Phone Link, but the message is still in the box \u2014 please check Phone Link.",
                true);
  return Done(L"Text sent to " + to + L" through Phone Link.");
}
