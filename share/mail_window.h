// The Email Server window (class FVMail): the outgoing mail server, the
// login and the sender, saved as they are typed; the password kept only in
// protected form; a test email. At most one exists; its owner is disabled
// while it is open. UI thread only.
#pragma once
#include <windows.h>

#include "share/send_result.h"

namespace mail_id {
inline constexpr int kServer = 43001;
inline constexpr int kPort = 43002;
inline constexpr int kSsl = 43003;
inline constexpr int kUser = 43004;
inline constexpr int kPassword = 43005;
inline constexpr int kFromName = 43006;
inline constexpr int kFromAddress = 43007;
inline constexpr int kTest = 43008;
inline constexpr int kClose = 43009;
inline constexpr int kStatus = 43010;
inline constexpr int kClearPassword = 43011;
}  // namespace mail_id

LRESULT CALLBACK MailWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The tooltip control the window attaches its tooltips to, set once at start.
void SetMailTooltip(HWND tooltip);

// Opens the window owned by `owner`, or brings the open one to the front.
void OpenMailServerWindow(HWND owner);

// The test email's outcome; dropped when the window has been closed.
void OnTestEmailResult(const SendResult& result);
