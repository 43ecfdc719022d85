// What an email or text job reports back to the main window.
#pragma once

#include <string>

struct SendResult {
  bool ok = false;       // the email or text went out (for a test email: it worked)
  bool showBox = false;  // on success, also show the text in a message box
  std::wstring text;     // the message for the user
  std::wstring message;  // for a failed text: the message to put on the clipboard
};
