// The text rules of sending email and text messages: the From header, the
// message body as the mail component takes it, the Port box, the request
// to Quenlo and the checks made on what Phone Link shows. Platform-neutral.
#pragma once

#include <string>
#include <string_view>

// The From value handed to the mail component. Without a name it is the
// address alone; otherwise the name as a quoted string (a backslash before
// every double quote and backslash) or, when the name has characters
// beyond ASCII, as UTF-8 encoded words, then one space and the address in
// angle brackets. Line breaks and other control characters in the name
// become spaces; in the address they are dropped, as are angle brackets,
// so that neither can start another header line.
std::wstring MailFromValue(std::wstring_view fromName, std::wstring_view fromAddress);

// The body with every carriage return dropped and every line feed written
// as carriage return + line feed.
std::wstring MailBodyText(std::wstring_view body);

// The Port box's text as a port: leading and trailing blanks ignored, the
// decimal digits up to the first other character (none: 0). Past 65535
// the value stays above 65535 however many digits follow. inRange is false
// for 0 and for anything above 65535, and port is then 465.
struct MailPort {
  int port = 465;
  bool inRange = false;
};
MailPort ParseMailPort(std::wstring_view text);

// The text as a JSON string for Quenlo, as UTF-8: quotes and backslashes
// escaped, line feeds as \n, tabs as \t, carriage returns dropped, other
// bytes below 0x20 as \u00XX; everything else passes unchanged.
std::string QuenloJsonString(std::wstring_view text);
// The one request line sent to Quenlo: the number with its "+" and the
// message.
std::string QuenloRequest(std::wstring_view to, std::wstring_view body);

// Whether an element name seen in Phone Link names the recipient: its
// digits contain the last seven of the number and are at most 15, or the
// person's name (when given) occurs in it ignoring case and the element's
// name is at most 40 characters longer.
bool ConfirmsRecipient(std::wstring_view elementName, std::wstring_view recipientDigits,
                       std::wstring_view personName);

// Whether what Phone Link's message box holds is the message, line breaks
// aside.
bool SameTypedText(std::wstring_view boxValue, std::wstring_view message);
