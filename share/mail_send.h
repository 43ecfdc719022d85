// Sending one email through the mail component Windows provides
// ("CDO.Message", late-bound through IDispatch) straight to the user's SMTP
// server. Background threads only; the thread's COM apartment must be
// single-threaded.
#pragma once

#include <string>

#include "share/send_result.h"
#include "share/share_settings.h"

// Reads the saved password itself and wipes its copy before returning.
// showBox is always false; every outcome comes back as the user's text.
SendResult SendMail(const MailSettings& settings, const std::wstring& to, const std::wstring& subject,
                    const std::wstring& body, const std::wstring& attachment);
