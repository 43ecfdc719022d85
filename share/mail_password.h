// The mail password, kept only as a DPAPI blob bound to the user's Windows
// account in the MailPassword value. Any thread.
#pragma once

#include <string>

// Protects and stores the password; an empty text deletes the stored one.
// When protection fails nothing is written.
void StorePassword(const std::wstring& text);

// The stored password, or empty when there is none or it can't be read.
// The caller wipes it with WipeText (doc/document.h) when done.
std::wstring ReadPassword();
