// The text rules of sharing: the standard subject and message, the
// percent-encoding of values put into links, mobile numbers, Messenger
// handles and the link of every chat and web-mail way. Platform-neutral:
// the Send window supplies the inputs and uses the results.
#pragma once

#include <string>
#include <string_view>

// The ways something can be sent, in the order of the Send window's buttons.
enum ShareMethod : int {
  kShareEmail = 0,
  kShareText = 1,
  kShareWhatsApp = 2,
  kShareMessenger = 3,
  kShareTeams = 4,
  kShareGmail = 5,
  kShareOutlook = 6,
  kShareJustCopy = 7,
};
inline constexpr int kShareMethodCount = 8;

// The button label of a method ("Email" ... "Just copy it"); empty outside 0..7.
const wchar_t* ShareMethodLabel(int method);

inline constexpr wchar_t kNoteSubject[] = L"Check out Folivex - a tiny PDF viewer for Windows";

struct ComposedMessage {
  std::wstring subject;
  std::wstring message;  // lines end in a line feed
};

// The standard subject and message. `name` is the To text, already trimmed;
// `sendFile` says whether the PDF itself goes (else the note about the
// program, ending in `downloadLink`); `senderName`, when not empty, signs
// the message.
ComposedMessage ComposeMessage(std::wstring_view name, int method, bool sendFile, std::wstring_view fileName,
                               std::wstring_view senderName, std::wstring_view downloadLink);

// The text as UTF-8. Wide text that isn't valid UTF-16 (a lone surrogate;
// on 32-bit wchar_t a value beyond U+10FFFF) becomes U+FFFD, as Windows'
// own conversion does.
std::string Utf8FromWide(std::wstring_view text);

// Percent-encoding of the UTF-8 bytes: letters, digits and "-._~" stay, a
// line feed becomes %0A, a carriage return is dropped, every other byte is
// "%" and two upper-case hexadecimal digits.
std::wstring PercentEncode(std::wstring_view text);

// The digits of a mobile number with its country code (no "+"), or empty
// when the number is incomplete: a leading "+" needs at least 8 digits;
// otherwise 10 digits are a North American number (a 1 is put in front) and
// 11 digits starting with 1 are taken as they are.
std::wstring NormaliseMobile(std::wstring_view text);

// The Messenger handle in a name or a pasted profile link: what follows
// "id=" (up to the next "&"), or else the last path segment of the text
// without its query and trailing slashes.
std::wstring MessengerHandle(std::wstring_view text);

// The address to open for a link way (WhatsApp, Messenger, Teams, Gmail,
// Outlook.com); empty for the other methods. `mobileDigits` is the
// normalised number; `handle` the Messenger handle and `messengerGiven`
// whether the Messenger name box had anything in it. The message's
// carriage returns are dropped by the encoding.
std::wstring ChatLink(int method, std::wstring_view email, std::wstring_view mobileDigits, std::wstring_view handle,
                      bool messengerGiven, std::wstring_view subject, std::wstring_view message);
// The Teams web app's address, opened when the Teams app can't be.
std::wstring TeamsWebLink(std::wstring_view email, std::wstring_view message);

// The text without leading and trailing white space (iswspace).
std::wstring TrimSpace(std::wstring_view text);
// Whole-text comparison ignoring case, letters compared as lower case.
bool EqualNoCase(std::wstring_view a, std::wstring_view b);
// <0, 0, >0 like wcsicmp: letters compared as lower case.
int CompareNoCase(std::wstring_view a, std::wstring_view b);
