// The background jobs of sharing: the send thread (an email or a text
// message from the Send window) and the Email Server window's test email,
// and the main window's handling of what they report. Started and finished
// on the UI thread; the threads touch no window.
#pragma once
#include <windows.h>

#include <string>

#include "share/share_settings.h"

// Posted to the main window with a SendResult* in lParam; wParam says
// whose result it is.
constexpr UINT WM_FV_SEND_DONE = WM_APP + 21;
constexpr WPARAM kSendDoneEmail = 0;
constexpr WPARAM kSendDoneText = 1;
constexpr WPARAM kSendDoneTestEmail = 100;

struct SendJob {
  int method = 0;          // 0 email, 1 text message
  std::wstring recipient;  // the address, or the normalised number (digits only)
  std::wstring name;       // the To text
  std::wstring subject;
  std::wstring message;     // without carriage returns
  std::wstring attachment;  // the PDF's full path, or empty
  MailSettings mail;
  bool phoneLinkAutoSend = true;
};

// Starts the send thread, which owns the job from then on. False when the
// thread couldn't be started (the job is released).
bool StartSendJob(SendJob* job);

// Starts the test email to the sender's own address with a copy of the
// settings. False when the thread couldn't be started.
bool StartTestEmail(const MailSettings& settings);

// The main window's handler of WM_FV_SEND_DONE; releases the result.
void HandleSendDone(WPARAM kind, LPARAM result);
